#include "windows/launch_companion.h"

#include <shellapi.h>

#include "core/path_set.h"
#include "platform/file_system.h"
#include "windows/info_form.h"

namespace vigilo {

void LaunchCompanion(HWND owner, const std::string& parameters) {
    // The information window's modal loop still serves the tray icon: another
    // click would stack a second window on the first.
    if (InformationWindowShown()) return;
    const std::string path = CompanionPath();
    if (FileExists(path)) {
        ShellExecuteA(owner, "open", path.c_str(), parameters.empty() ? nullptr : parameters.c_str(), nullptr,
                      SW_SHOWNORMAL);
        return;
    }
    ShowInformationWindow();
}

}  // namespace vigilo
