#pragma once
// The new-program window: a program was just registered for uninstallation;
// shows its icon, name and publisher and offers to start Purgeon. The only
// notification window without a time limit: it stays until the user closes it.
#include <windows.h>

#include <string>

#include "windows/notification_window.h"

namespace vigilo {

class NewProgramWindow : public NotificationWindow {
public:
    // Creates the window hidden, with no owner, its texts loaded.
    NewProgramWindow();

    // Set by the caller before showing.
    std::string ProgramName;
    std::string Publisher;
    std::string IconPath;  // file whose first icon is shown; may be empty
    std::string SignerLine;  // who signed the program's file ("Signed by ..."); no line when empty
    int MoreFound = 0;       // how many more programs the same round found; "and N more" shows when above 0

    // The link "Purgeon": starts Purgeon without parameters, then closes.
    void LaunchLinkClick() { LaunchAndClose(); }

    Image* ActionImage = nullptr;  // attention mark
    Label* MessageLabel = nullptr;       // "New installation detected."
    Label* MoreFoundLabel = nullptr;  // "and N more (see Recent findings)", hidden unless there are more
    Image* PrgImage = nullptr;     // the program's icon
    Label* ProgramNameLabel = nullptr;      // program name, bold
    Label* PublisherLabel = nullptr;      // publisher
    Label* SignerLabel = nullptr;  // who signed the program's file, hidden when nothing is said
    Label* AdviceLabel = nullptr;      // "For more information ... use"
    Label* LaunchLink = nullptr;      // the link "Purgeon"

protected:
    void FillControls() override;
};

}  // namespace vigilo
