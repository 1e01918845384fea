#include "monitors/autostart_rules.h"

#include <optional>
#include <set>

#include "core/autostart_command.h"
#include "core/command_program.h"
#include "core/companion_running.h"
#include "core/exclusion_list.h"
#include "platform/file_system.h"
#include "platform/registry.h"
#include "platform/text.h"

namespace vigilo {
namespace {

// The findings of a round's entries by name(change), each a startup entry
// under Purgeon's exclusion list; none while Purgeon runs (it is the one
// changing them). name gives empty to leave an entry out.
template <typename Name>
std::vector<Finding> StartupFindings(const std::vector<EntryChange>& changes, Name name) {
    if (changes.empty() || IsCompanionRunning()) return {};
    const ExclusionListSnapshot exclusions = ExclusionListSnapshot::Take();
    std::vector<Finding> findings;
    for (const EntryChange& change : changes) {
        std::string reported = exclusions.Apply(name(change));
        if (reported.empty()) continue;
        Finding finding{FindingKind::Startup, std::move(reported)};
        if (change.changed) finding.event = FindingEvent::Changed;
        findings.push_back(std::move(finding));
    }
    return findings;
}

std::vector<EntryChange> OnlyAdded(const RoundSight& sight) {
    std::vector<EntryChange> added;
    for (ListedEntry& entry : AddedEntries(sight.previous, sight.fresh)) added.push_back({std::move(entry), false});
    return added;
}

std::string SubkeyPath(const PlaceSpec& place, const std::string& subkey) {
    return WithTrailingBackslash(place.path) + subkey;
}

// A string value of key in the place's root and view, as written and
// trimmed, read now; empty when it is gone or of another type.
std::string TextValue(const PlaceSpec& place, const std::string& key, const std::string& value) {
    const UniqueKey opened = OpenKey(place.root, key, KEY_QUERY_VALUE, place.view);
    if (!opened) return {};
    const std::optional<RegistryValue> data = QueryValue(opened.get(), value);
    if (!data || (data->type != REG_SZ && data->type != REG_EXPAND_SZ)) return {};
    return TrimControlAndBlanks(TextOfValue(*data));
}

// The program that a string value's command starts, read now.
std::string ProgramOfValue(const PlaceSpec& place, const std::string& key, const std::string& value) {
    return ProgramOfCommand(TextValue(place, key, value)).program;
}

// The value's name up to ": ", which the list entries' names carry first.
std::string ValueOfListEntry(const std::string& entryName) { return entryName.substr(0, entryName.find(": ")); }

}  // namespace

std::vector<Finding> ProgramsAddedToLists(const RoundSight& sight) {
    std::set<std::wstring> valuesThatLostOne;
    for (const ListedEntry& gone : RemovedEntries(sight.previous, sight.fresh))
        valuesThatLostOne.insert(UpperCaseOrdinal(ValueOfListEntry(gone.name)));
    std::vector<EntryChange> added = OnlyAdded(sight);
    for (EntryChange& change : added)
        change.changed = valuesThatLostOne.contains(UpperCaseOrdinal(ValueOfListEntry(change.entry.name)));
    return StartupFindings(added, [](const EntryChange& change) { return ShownListEntryName(change.entry.name); });
}

std::vector<Finding> NewOrChangedCommandValues(const RoundSight& sight) {
    return StartupFindings(AddedOrChangedEntries(sight.previous, sight.fresh), [&](const EntryChange& change) {
        const std::string& value = change.entry.name;
        return NameWithProgram(value, ProgramOfValue(sight.place, sight.place.path, value));
    });
}

std::vector<Finding> NewOrChangedRedirections(const RoundSight& sight) {
    if (sight.place.values.empty()) return {};
    return StartupFindings(AddedOrChangedEntries(sight.previous, sight.fresh), [&](const EntryChange& change) {
        const std::string& redirected = change.entry.name;
        return NameWithProgram(redirected,
                               ProgramOfValue(sight.place, SubkeyPath(sight.place, redirected), sight.place.values[0]));
    });
}

std::vector<Finding> NewActiveSetupComponents(const RoundSight& sight) {
    return StartupFindings(OnlyAdded(sight), [&](const EntryChange& change) {
        const std::string component = SubkeyPath(sight.place, change.entry.name);
        std::string name = TextValue(sight.place, component, "");
        if (name.empty() && !sight.place.values.empty())
            name = FileNameOf(ProgramOfValue(sight.place, component, sight.place.values[0]));
        return name.empty() ? change.entry.name : name;
    });
}

std::vector<Finding> NewRunOnceExEntries(const RoundSight& sight) {
    return StartupFindings(OnlyAdded(sight), [&](const EntryChange& change) {
        const std::string name = TextValue(sight.place, SubkeyPath(sight.place, change.entry.name), "");
        return name.empty() ? change.entry.name : name;
    });
}

std::vector<Finding> NewExplorerValues(const RoundSight& sight) {
    return StartupFindings(OnlyAdded(sight), [](const EntryChange& change) { return change.entry.name; });
}

}  // namespace vigilo
