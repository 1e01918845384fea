#include "monitors/autostart_rules.h"

#include <optional>
#include <set>

#include "core/autostart_command.h"
#include "core/command_program.h"
#include "monitors/startup_findings.h"
#include "platform/file_system.h"
#include "platform/registry.h"
#include "platform/text.h"

namespace vigilo {
namespace {

// The default value of subkey of the place, trimmed; empty when it is gone or no text.
std::string DefaultText(const PlaceSpec& place, const std::string& subkey) {
    return TrimControlAndBlanks(StringValue(place.root, WithTrailingBackslash(place.path) + subkey, "", place.view));
}

// The command of a RunOnceEx entry: the text of its first named value,
// "||command" (a program started) or "library.dll|function|arguments" (a
// library's function called), of which the library.
std::string RunOnceExCommand(const PlaceSpec& place, const std::string& subkey) {
    const UniqueKey key = OpenKey(place.root, WithTrailingBackslash(place.path) + subkey, KEY_QUERY_VALUE, place.view);
    if (!key) return {};
    for (const std::string& name : ValueNames(key.get())) {
        const std::string text = TrimControlAndBlanks(StringValue(key.get(), name));
        if (name.empty() || text.empty()) continue;
        const size_t start = text.starts_with("||") ? 2 : 0;
        return text.substr(start, text.find('|', start) - start);
    }
    return {};
}

// The library of the class that a value of Explorer's load keys names: by
// its data (ShellServiceObjectDelayLoad), else by its name (SharedTaskScheduler).
std::string ExplorerLoadCommand(const PlaceSpec& place, const std::string& value) {
    std::string classId = TrimControlAndBlanks(StringValue(place.root, place.path, value, place.view));
    if (!classId.starts_with('{')) classId = TrimControlAndBlanks(value);
    if (!classId.starts_with('{')) return {};
    const std::string server = "SOFTWARE\\Classes\\CLSID\\" + classId + "\\InprocServer32";
    return QuotedProgram(StringValue(HKEY_LOCAL_MACHINE, server, "", place.view));
}

// The value's name up to ": ", which the list entries' names carry first.
std::string ValueOfListEntry(const std::string& entryName) { return entryName.substr(0, entryName.find(": ")); }

// The program a list entry's name carries after ": ".
std::string ProgramOfListEntry(const std::string& entryName) {
    const size_t separator = entryName.find(": ");
    return separator == std::string::npos ? std::string() : entryName.substr(separator + 2);
}

// A value or a subkey that holds a command: named by itself and its program's file name.
StartupEntry CommandEntry(const EntryChange& change) {
    const ListedEntry& entry = change.entry;
    return {NameWithProgram(entry.name, ProgramOfCommand(entry.command).program), entry.name, false, entry.command};
}

}  // namespace

std::vector<Finding> ProgramsAddedToLists(const RoundSight& sight) {
    std::set<std::wstring> valuesThatLostOne;
    for (const ListedEntry& gone : RemovedEntries(sight.previous, sight.fresh))
        valuesThatLostOne.insert(UpperCaseOrdinal(ValueOfListEntry(gone.name)));
    std::vector<EntryChange> added = OnlyAdded(sight);
    for (EntryChange& change : added)
        change.changed = valuesThatLostOne.contains(UpperCaseOrdinal(ValueOfListEntry(change.entry.name)));
    return StartupFindings(sight, StartupEntriesOf(added, [](const EntryChange& change) {
                               const std::string& name = change.entry.name;
                               return StartupEntry{ShownListEntryName(name), ValueOfListEntry(name), false, {},
                                                   ProgramOfListEntry(name)};
                           }));
}

std::vector<Finding> NewOrChangedCommandValues(const RoundSight& sight) {
    return StartupFindings(sight, StartupEntriesOf(AddedOrChangedEntries(sight.previous, sight.fresh), &CommandEntry));
}

std::vector<Finding> NewActiveSetupComponents(const RoundSight& sight) {
    return StartupFindings(sight, StartupEntriesOf(OnlyAdded(sight), [&](const EntryChange& change) {
                               const ListedEntry& entry = change.entry;
                               std::string name = DefaultText(sight.place, entry.name);
                               if (name.empty()) name = FileNameOf(ProgramOfCommand(entry.command).program);
                               return StartupEntry{name.empty() ? entry.name : name, entry.name, false, entry.command};
                           }));
}

std::vector<Finding> NewRunOnceExEntries(const RoundSight& sight) {
    return StartupFindings(sight, StartupEntriesOf(OnlyAdded(sight), [&](const EntryChange& change) {
                               const std::string& subkey = change.entry.name;
                               const std::string name = DefaultText(sight.place, subkey);
                               return StartupEntry{name.empty() ? subkey : name, subkey, false,
                                                   RunOnceExCommand(sight.place, subkey)};
                           }));
}

std::vector<Finding> NewExplorerValues(const RoundSight& sight) {
    return StartupFindings(sight, StartupEntriesOf(OnlyAdded(sight), [&](const EntryChange& change) {
                               const std::string& value = change.entry.name;
                               return StartupEntry{value, value, false, ExplorerLoadCommand(sight.place, value)};
                           }));
}

}  // namespace vigilo
