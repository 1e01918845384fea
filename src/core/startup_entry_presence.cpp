#include "core/startup_entry_presence.h"

#include <shlobj.h>

#include "platform/file_system.h"
#include "platform/registry.h"
#include "platform/shell.h"

namespace vigilo {

std::optional<PresentStartupEntry> FindStartupEntry(const StartupApprovedTarget& target) {
    if (target.valueName.empty()) return std::nullopt;
    if (target.list == StartupApprovedList::StartupFolder) {
        const std::string folder =
            ShellFolderPath(target.root == HKEY_LOCAL_MACHINE ? CSIDL_COMMON_STARTUP : CSIDL_STARTUP);
        const std::string file = WithTrailingBackslash(folder) + target.valueName;
        if (folder.empty() || !FileExists(file)) return std::nullopt;
        return PresentStartupEntry{{}, file};
    }
    const bool run32 = target.list == StartupApprovedList::Run32;
    const UniqueKey key = OpenKey(run32 ? HKEY_LOCAL_MACHINE : target.root, kRunKey, KEY_QUERY_VALUE,
                                  run32 ? RegistryView::k32Bit : RegistryView::k64Bit);
    const std::optional<RegistryValue> value = key ? QueryValue(key.get(), target.valueName) : std::nullopt;
    if (!value) return std::nullopt;
    return PresentStartupEntry{StringValue(*value), {}};
}

bool StartupEntryPresent(const StartupApprovedTarget& target) { return FindStartupEntry(target).has_value(); }

}  // namespace vigilo
