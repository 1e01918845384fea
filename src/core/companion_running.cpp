#include "core/companion_running.h"

#include "core/companion.h"
#include "core/path_set.h"
#include "platform/process_image.h"

namespace vigilo {

bool IsCompanionRunning() {
    return IsCompanionRunning(CompanionSeams{
        [] { return ProcessesWithWindow(companion::kWindowClass, companion::kWindowTitle); },
        &ProcessImageIdentity,
        [] { return FileIdentityOf(Paths().programFolder + "\\" + companion::ExecutableName()); },
    });
}

bool IsCompanionRunning(const CompanionSeams& seams) {
    const std::vector<DWORD> owners = seams.windowOwners();
    if (owners.empty()) return false;
    const std::optional<FileIdentity> companion = seams.companionFile();
    if (!companion) return false;
    for (const DWORD pid : owners)
        if (seams.imageOf(pid) == companion) return true;
    return false;
}

}  // namespace vigilo
