#pragma once
// Every kind of watch Vigilo runs, in one table (watch_kinds.cpp): where it
// watches, how it lists and what wakes it, how long a writer is given, the
// rule that turns additions into findings, and the window they raise. A new
// kind is a row and its rule.
#include <vector>

#include "core/finding.h"
#include "core/path_set.h"
#include "monitors/place.h"
#include "monitors/watch.h"

namespace vigilo {

// The groups a notifier setting switches on and off together.
enum class MonitorGroup { Startup, NewProgram, Extension, Count };

struct WatchKind {
    const char* name;
    MonitorGroup group;
    // The places of this kind, from the path set (browser profiles included).
    std::vector<PlaceSpec> (*places)(const PathSet& paths);
    PlaceListing listing;
    PlaceChanges changes;
    int settleSeconds;
    // Turns a round's additions into findings; null for a watch of where
    // browser profiles come and go, which reports only that they changed.
    FindingRule rule;
    FindingKind window;  // the window its findings raise
    // Its places come and go with the browser profiles.
    bool followsProfiles = false;
};

const std::vector<WatchKind>& WatchKinds();

}  // namespace vigilo
