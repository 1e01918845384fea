#pragma once
// What each slot watches and what a finding becomes: the table of watch
// kinds (monitors/watch_kinds.h) gives the places, and the functions here
// create a watch for each, whose rounds go to their windows
// (windows/finding_presentation.h).
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/monitor_groups.h"
#include "core/path_set.h"
#include "monitors/junk_check.h"
#include "platform/monitor_thread.h"

namespace vigilo {

// A slot for every place of every watch kind and profile watch, with the
// folders of paths; folders the shell did not give are left out.
std::vector<MonitorSlot> MonitorSlots(const PathSet& paths);

// Gives each browser profile of paths its extensions folder's slot, and
// takes the slot of a profile no longer there; a running group starts and
// stops their watches at once. whileRunning: the profiles are new to this
// run, so what their folders hold already is reported.
void UpdateProfileSlots(MonitorGroups& groups, const PathSet& paths, bool whileRunning);

// The names under which the watches of every slot of paths (all groups on)
// keep their listings.
std::vector<std::string> KeptPlaceNames(const PathSet& paths);

// Creates the watch of a slot, suspended. profilesChanged runs on the main
// thread after a profile watch saw a change.
std::unique_ptr<MonitorThread> CreateWatch(const MonitorSlot& slot, const std::function<void()>& profilesChanged);

// The junk check over the cache folders of paths, with the browser profiles
// there are at each tick, its findings shown in the junk window for 20 seconds.
std::unique_ptr<JunkCheck> CreateJunkCheck(const PathSet& paths);

}  // namespace vigilo
