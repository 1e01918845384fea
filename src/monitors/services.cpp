#include "monitors/services.h"

#include <unordered_map>

#include "core/command_program.h"
#include "monitors/startup_findings.h"
#include "platform/file_system.h"
#include "platform/registry.h"
#include "platform/shell.h"
#include "platform/text.h"

namespace vigilo {
namespace {

// The name the Services console shows, else the key's.
std::string DisplayNameOf(const PlaceSpec& place, const std::string& service) {
    const UniqueKey key = OpenKey(place.root, WithTrailingBackslash(place.path) + service, KEY_QUERY_VALUE, place.view);
    const std::string name = key ? TrimControlAndBlanks(LoadDisplayText(key.get(), "DisplayName")) : std::string();
    return name.empty() ? service : name;
}

}  // namespace

bool InWindowsFolder(const std::string& program, const std::string& windowsFolder) {
    std::string path = Utf8(UpperCaseOrdinal(TrimControlAndBlanks(program)));
    if (path.empty()) return true;
    for (const char* prefix : {"\\??\\", "\\\\?\\"})
        if (path.starts_with(prefix)) path.erase(0, std::string(prefix).size());
    if (path.starts_with("\\SYSTEMROOT\\")) return true;
    const bool absolute = path[0] == '\\' || (path.size() > 1 && path[1] == ':');
    if (!absolute) return true;  // relative to the Windows folder, as drivers' are
    const std::string folder = Utf8(UpperCaseOrdinal(TrimControlAndBlanks(windowsFolder)));
    return !folder.empty() && path.starts_with(folder.ends_with('\\') ? folder : folder + "\\");
}

std::vector<Finding> NewOrSwitchedServices(const RoundSight& sight) {
    std::unordered_map<std::wstring, std::uint64_t> before;
    for (const ListedEntry& entry : sight.previous.entries) before.emplace(UpperCaseOrdinal(entry.name), entry.dataHash);
    const std::string windowsFolder = WindowsFolderPath();
    std::vector<StartupEntry> entries;
    for (const EntryChange& change : AddedOrChangedEntries(sight.previous, sight.fresh)) {
        const ListedEntry& service = change.entry;
        if (service.dataHash == kNotStartingWithWindows) continue;
        StartupEntry entry{DisplayNameOf(sight.place, service.name), service.name, false, service.command};
        if (change.changed) {
            if (InWindowsFolder(ProgramOfCommand(service.command).program, windowsFolder)) continue;
            // Switched to start with Windows: as good as new; else its program changed.
            entry.changed = before[UpperCaseOrdinal(service.name)] != kNotStartingWithWindows;
        }
        entries.push_back(std::move(entry));
    }
    return StartupFindings(sight, entries);
}

}  // namespace vigilo
