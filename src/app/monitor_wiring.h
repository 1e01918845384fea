#pragma once
// What each slot watches and what a finding becomes: the table of kinds
// (monitors/watch_kinds.h) gives the places, and the functions here create
// a watch for each and wire what it hands off to the window that shows it.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/monitor_groups.h"
#include "core/path_set.h"
#include "monitors/junk_check.h"
#include "monitors/scheduled_task_check.h"
#include "monitors/service_check.h"
#include "monitors/watch.h"
#include "platform/shared_event.h"

namespace vigilo {

// A slot for every place of every kind, with the folders of paths; folders
// the shell did not give are left out.
std::vector<MonitorSlot> MonitorSlots(const PathSet& paths);

// Gives each browser profile of paths its extensions folder's slot, and
// takes the slot of a profile no longer there; a running group starts and
// stops their watches at once. whileRunning: the profiles are new to this
// run, so what their folders hold already is reported.
void UpdateProfileSlots(MonitorGroups& groups, const PathSet& paths, bool whileRunning);

// The names under which what the watches of every slot of paths (all
// groups on), the task check and the service check keep their listings.
std::vector<std::string> KeptPlaceNames(const PathSet& paths);

// Creates the watch of a slot, suspended; what it finds is recorded and
// shown in its kind's window. profilesChanged runs on the main thread after
// a watch of where browser profiles come and go saw a change.
std::unique_ptr<TThread> CreateWatch(const MonitorSlot& slot, const std::function<void()>& profilesChanged);

// Records and shows what one round of a watch found (the hand-off, on the
// main thread); the end of the window shown.
SharedEvent PresentReport(const RoundReport& report);

// The check for new scheduled tasks, its findings shown in the startup window for 20 seconds.
std::unique_ptr<ScheduledTaskCheck> CreateScheduledTaskCheck();

// The check of the services that start with Windows, its findings shown in the startup window for 20 seconds.
std::unique_ptr<ServiceCheck> CreateServiceCheck();

// The junk check over the cache folders of paths, with the browser profiles
// there are at each tick, its findings shown in the junk window for 20 seconds.
std::unique_ptr<JunkCheck> CreateJunkCheck(const PathSet& paths);

}  // namespace vigilo
