#pragma once
// The startup window: a program just added itself to the programs Windows
// starts at log-on; names the entry in bold beside the msiexec.exe icon and
// offers to check it with Purgeon (started with " /STARTUP"). A timed
// notification: its caller shows it with ShowForm and destroys it 20 seconds
// later.
#include <string>

#include "windows/notification_form.h"

namespace vigilo {

class TForm2c : public NotificationForm {
public:
    // Creates the window hidden, with no owner, its texts loaded.
    TForm2c();

    // Name of the new startup entry, shown as it is; set by the caller before showing.
    std::string ProgramName;

    // The link "Check with Purgeon": starts Purgeon with " /STARTUP", then closes.
    void Label3bClick() { LaunchAndClose(); }

    Image* PrgImage = nullptr;  // msiexec.exe's icon
    Label* Label1 = nullptr;    // the entry's name, bold
    Label* Label2 = nullptr;    // "just added itself to your Windows startup."
    Label* Label3a = nullptr;   // "Not sure you need this program ..."
    Label* Label3b = nullptr;   // the link "Check with Purgeon"

protected:
    void FillControls() override;
};

}  // namespace vigilo
