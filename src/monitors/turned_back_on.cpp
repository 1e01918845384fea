#include "monitors/turned_back_on.h"

#include <unordered_map>

#include "core/startup_entry_presence.h"
#include "monitors/finding_rules.h"
#include "monitors/startup_findings.h"
#include "platform/text.h"

namespace vigilo {
namespace {

// Whether the value now holds what this program last wrote to it.
bool WrittenHere(const PlaceSpec& place, const StartupApprovedTarget& target) {
    const UniqueKey key = OpenKey(place.root, place.path, KEY_QUERY_VALUE, place.view);
    const std::optional<RegistryValue> value = key ? QueryValue(key.get(), target.valueName) : std::nullopt;
    return value && value->type == REG_BINARY && IsOwnStartupApprovedWrite(target, value->data);
}

std::string FolderOf(const std::string& file) { return file.substr(0, file.find_last_of('\\') + 1); }

}  // namespace

std::vector<Finding> EntriesTurnedBackOn(const RoundSight& sight) {
    if (!sight.place.approved) return {};
    std::unordered_map<std::wstring, std::uint64_t> now;
    for (const ListedEntry& entry : sight.fresh.entries) now.emplace(UpperCaseOrdinal(entry.name), entry.dataHash);
    std::vector<StartupEntry> entries;
    for (const ListedEntry& before : sight.previous.entries) {
        if (before.dataHash != kSwitchedOffAtStartup) continue;
        const StartupApprovedTarget target{sight.place.approved->root, sight.place.approved->list, before.name};
        const auto it = now.find(UpperCaseOrdinal(before.name));
        if (it != now.end() && (it->second == kSwitchedOffAtStartup || WrittenHere(sight.place, target))) continue;
        const std::optional<PresentStartupEntry> present = FindStartupEntry(target);
        if (!present) continue;
        const std::string shown =
            present->file.empty() ? before.name : StartupFolderEntryName(FolderOf(present->file), before.name);
        entries.push_back({shown, before.name, false, present->command, present->file, true});
    }
    return StartupFindings(sight, entries);
}

}  // namespace vigilo
