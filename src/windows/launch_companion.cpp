#include "windows/launch_companion.h"

#include "core/path_set.h"
#include "platform/file_system.h"
#include "platform/shell.h"
#include "windows/info_form.h"

namespace vigilo {

void LaunchCompanion(HWND owner, const std::string& parameters) {
    // The information window's modal loop still serves the tray icon: another
    // click would stack a second window on the first.
    if (InformationWindowShown()) return;
    const std::string path = CompanionPath();
    if (FileExists(path)) {
        ShellOpen(owner, path, parameters);
        return;
    }
    ShowInformationWindow();
}

}  // namespace vigilo
