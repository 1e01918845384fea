#pragma once
// The scheduled tasks as a place of the engine. Windows gives a standard
// user no change notification for tasks, so the place is listed at every
// ten-minute tick (ten_minute_tick.h), on its watch's own thread, from the
// first source that can be read: the system's "Tasks" folder (Wine, an
// elevated program), else the Task Scheduler's interface (a standard user on
// Windows), else the registry's task cache. Each task is listed by its path
// ("\Folder\Name") with the hash of the programs its actions start and its
// first action's command; the task cache tells no actions.
//
// The sources differ in what they hold, so a listing's first entry names
// its source, and the rule compares only listings of one source: a new
// source's first listing is taken silently. A task new since the last
// listing, other than Windows' own under "\Microsoft\Windows\", is a startup
// entry named by its task name (the last part of its path); so is one whose
// actions now start other programs (marked changed).
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/finding.h"
#include "monitors/place.h"
#include "monitors/watch.h"
#include "platform/task_scheduler.h"

namespace vigilo {

// Where a listing of the tasks came from.
enum class TaskSource { TaskFolder, Scheduler, TaskCache };

// The place; its listing is kept under "Scheduled tasks".
std::unique_ptr<Place> MakeScheduledTasksPlace();
// The listing of tasks from source, as the place lists them.
Listing TaskListing(TaskSource source, std::vector<RegisteredTask> tasks);

// The rule of the place.
std::vector<Finding> NewOrChangedTasks(const RoundSight& sight);

// The hash of the programs a task's actions start, in order: each command
// is a program's path (the arguments stand apart), compared as ProgramHash
// compares. Never 0.
std::uint64_t TaskActionsHash(const std::vector<std::string>& commands);

// The name a task at path is reported by: its last part; empty for the
// tasks of Windows itself (under "\Microsoft\Windows\", any letter case).
std::string ScheduledTaskName(const std::string& path);

}  // namespace vigilo
