#pragma once
// The one path from a startup entry to its finding, for every family of
// places where a program makes itself start (the scheduled tasks and the
// services included): the name it is shown by, unless Purgeon's exclusion
// list holds it; the name it is stored by; whether it is new or changed what
// it starts; its program, the file it starts made full (worked out for every
// entry of a round, each command once); and where Windows keeps whether it
// starts at log-on, for the places that have that switch. Who signed each
// program is added to a round's last findings by the engine (watch.h).
#include <string>
#include <vector>

#include "core/finding.h"
#include "monitors/watch.h"

namespace vigilo {

struct StartupEntry {
    std::string shownName;   // empty: not reported
    std::string storedName;  // the value's, file's, subkey's or task's own name
    bool changed = false;    // it was there before and now starts another program
    // What it starts: a command line (a Run value, a service's image, a
    // task's action), or a file that is started (a Startup folder's entry,
    // a program of a list value); neither where it names no file.
    std::string command = {};
    std::string file = {};
    // It had been disabled at start-up, and is enabled again.
    bool turnedBackOn = false;
};

// The findings of a round's startup entries at sight.place, in order.
std::vector<Finding> StartupFindings(const RoundSight& sight, const std::vector<StartupEntry>& entries);

// A round's added and changed entries (AddedOrChangedEntries), each as
// entry(change) makes it a startup entry.
template <typename MakeEntry>
std::vector<StartupEntry> StartupEntriesOf(const std::vector<EntryChange>& changes, MakeEntry entry) {
    std::vector<StartupEntry> entries;
    entries.reserve(changes.size());
    for (const EntryChange& change : changes) {
        StartupEntry made = entry(change);
        made.changed = change.changed;
        entries.push_back(std::move(made));
    }
    return entries;
}

// The added entries of a round alone, as changes (none changed).
std::vector<EntryChange> OnlyAdded(const RoundSight& sight);

}  // namespace vigilo
