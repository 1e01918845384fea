#pragma once
// The startup window: a program just added itself to the programs Windows
// starts at log-on; names the entry in bold beside the msiexec.exe icon and
// offers to check it with Purgeon (started with " /STARTUP"). A timed
// notification: the notification host shows it and destroys it 20 seconds
// later.
//
// For an entry of a Run key or a Startup folder the caller also names where
// Windows keeps whether it starts (its StartupApproved value); where this user
// may write that value, a second link disables the entry at start-up, as Task
// Manager does, and then reads "Enable again at start-up" and undoes it. The
// window stays; each click restarts its time through OnUserActed. When the
// same round found more entries, a line says how many.
#include <optional>
#include <string>

#include "core/finding.h"
#include "core/startup_approved.h"
#include "windows/notification_window.h"

namespace vigilo {

class StartupWindow : public NotificationWindow {
public:
    // Creates the window hidden, with no owner, its texts loaded.
    StartupWindow();

    // Set by the caller before showing:
    // Name of the new startup entry, shown as it is.
    std::string ProgramName;
    // The entry's StartupApproved value; none for entries Windows keeps no such value for.
    std::optional<StartupApprovedTarget> ApprovedTarget;
    // How many more entries the same round found; "and N more" shows when above 0.
    int MoreFound = 0;
    // Who signed the file the entry starts ("Signed by ..."); no line when empty.
    std::string SignerLine;
    // The entry was there before and now starts another program: MessageLabel says it changed.
    bool EntryChanged = false;
    // Reads and writes the StartupApproved value (tests give it seams).
    StartupApproval Approval;

    // The link "Check with Purgeon": starts Purgeon with " /STARTUP", then closes.
    void LaunchLinkClick() { LaunchAndClose(); }
    // The link that disables the entry at start-up, or enables it again; the window stays.
    void DisableLinkClick();
    // Whether the entry is disabled at start-up, as this window last wrote or found it.
    bool DisabledAtStartup() const { return disabled_; }

    Image* PrgImage = nullptr;         // msiexec.exe's icon
    Label* EntryNameLabel = nullptr;           // the entry's name, bold
    Label* MessageLabel = nullptr;           // "just added itself to your Windows startup.", or that it changed
    Label* SignerLabel = nullptr;      // who signed the file it starts, hidden when nothing is said
    Label* MoreFoundLabel = nullptr;   // "and N more (see Recent findings)", hidden unless there are more
    Label* AdviceLabel = nullptr;          // "Not sure you need this program ..."
    Label* LaunchLink = nullptr;          // the link "Check with Purgeon"
    Label* DisableLink = nullptr;      // "Disable at Windows start-up" / "Enable again at start-up", hidden unless offered

protected:
    void FillControls() override;

private:
    void ShowDisableLinkText();

    bool disabled_ = false;
};

}  // namespace vigilo
