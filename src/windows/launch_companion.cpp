#include "windows/launch_companion.h"

#include "core/path_set.h"
#include "platform/file_system.h"
#include "platform/shell.h"
#include "windows/info_window.h"

namespace vigilo {

bool LaunchCompanion(HWND owner, const std::string& parameters, std::function<void()> afterInformation) {
    // The tray icon stays live while the information window is up: another
    // click would stack a second window on the first.
    if (InformationWindowShown()) return false;
    const std::string path = CompanionPath();
    if (FileExists(path)) {
        ShellOpen(owner, path, parameters);
        return false;
    }
    return ShowInformationWindow(std::move(afterInformation));
}

}  // namespace vigilo
