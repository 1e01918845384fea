#pragma once
// Every kind of watch Vigilo runs, in one table (watch_kinds.cpp): where it
// watches, how it lists and what wakes it, how long a writer is given, the
// rule that turns additions into findings, what its findings are, and what
// else the program's rules need to know of it. A new kind is a row and its
// rule; a new key of a kind is a line of the kind's keys.
//
// A watch kind (a row) is told apart from a finding kind (what the record
// names: program, startup, extension, junk). A row's finding kind is also
// the group of watches its notifier setting starts and stops.
#include <memory>
#include <variant>
#include <vector>

#include "core/finding.h"
#include "core/path_set.h"
#include "monitors/place.h"
#include "monitors/watch.h"

namespace vigilo {

// A key of a watch kind: the machine's in both registry views (each its own
// place, unless both reach one key), the user's in one.
struct KeyAt {
    HKEY root;
    std::string path;
    std::vector<std::string> values = {};           // the values its listing looks at (PlaceSpec)
    std::optional<ApprovedSwitch> approved = {};    // the switch its entries answer to, in the 64-bit view
    std::optional<ApprovedSwitch> approved32 = {};  // ... and in the 32-bit view
    std::string browser = {};                       // an extension place's browser
    bool only64 = false;                            // only the 64-bit view is read (Winlogon, the services)
};
// Keys, listed and woken as named.
struct KeyPlaces {
    std::vector<KeyAt> keys;
    KeyListing listing;
    KeyChanges changes;
};
// Folders, listed by their entries.
struct FolderPlaces {
    std::vector<PlaceSpec> (*places)(const PathSet& paths);
    FolderChanges changes;
};
// The scheduled tasks, listed at every ten-minute tick (scheduled_tasks.h).
struct TaskPlaces {};

struct WatchKind {
    const char* name;
    FindingKind finding;
    std::variant<KeyPlaces, FolderPlaces, TaskPlaces> places;
    int settleSeconds;
    FindingRule rule;
    // Who signed each finding's program is looked at.
    bool signersChecked = false;
    // Its windows are held back while Purgeon runs, which changes these places itself.
    bool quietWhilePurgeonRuns = false;
    // Its places come and go with the browser profiles.
    bool followsProfiles = false;
};

const std::vector<WatchKind>& WatchKinds();

// The places of kind, from the path set (browser profiles included).
std::vector<PlaceSpec> PlacesOf(const WatchKind& kind, const PathSet& paths);
// One of them, ready to be watched.
std::unique_ptr<Place> MakePlace(const WatchKind& kind, const PlaceSpec& place);
// What the engine needs of kind.
WatchRules RulesOf(const WatchKind& kind);

// A watch of where browser profiles come and go: it finds nothing, but
// tells the main thread that the profiles may have changed. Started and
// stopped with the extension watches.
struct ProfileWatchKind {
    const char* name;
    std::vector<PlaceSpec> (*places)(const PathSet& paths);
    FolderChanges changes;
};

const std::vector<ProfileWatchKind>& ProfileWatchKinds();

}  // namespace vigilo
