#include "core/startup_entry_presence.h"

#include <shlobj.h>

#include "platform/file_system.h"
#include "platform/registry.h"
#include "platform/shell.h"

namespace vigilo {

bool StartupEntryPresent(const StartupApprovedTarget& target) {
    if (target.valueName.empty()) return false;
    if (target.list == StartupApprovedList::StartupFolder) {
        const std::string folder =
            ShellFolderPath(target.root == HKEY_LOCAL_MACHINE ? CSIDL_COMMON_STARTUP : CSIDL_STARTUP);
        return !folder.empty() && FileExists(WithTrailingBackslash(folder) + target.valueName);
    }
    const bool run32 = target.list == StartupApprovedList::Run32;
    const UniqueKey key = OpenKey(run32 ? HKEY_LOCAL_MACHINE : target.root, kRunKey, KEY_QUERY_VALUE,
                                  run32 ? RegistryView::k32Bit : RegistryView::k64Bit);
    return key && QueryValueInfo(key.get(), target.valueName).has_value();
}

}  // namespace vigilo
