#pragma once
// The check for new scheduled tasks, run by the main form's ten-minute
// timer on the main thread while the startup watches run. The Task
// Scheduler gives no change notification a standard user could wait on, so
// each tick lists the tasks and compares them with the previous tick's list,
// or at the first tick of a run with the list kept from the last one. A
// task new since then, other than Windows' own under "\Microsoft\Windows\",
// is a new startup entry named by its task name (the last part of its
// path), under the startup entries' rules (startup_entry_rules.h); so is a
// task whose actions now start other programs (marked changed), where the
// list tells the programs (the task files, the scheduler's interface; not
// the task cache). A list is compared only with one from the same source:
// the sources differ in what they hold, so a change of source takes a new
// list silently.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/finding.h"
#include "core/kept_listing.h"
#include "core/listing.h"

namespace vigilo {

// Where the task list came from: the system's "Tasks" folder where it can be
// read (Wine, an elevated program), else the Task Scheduler's interface (a
// standard user on Windows), else the registry's task cache.
enum class TaskListSource { None, TaskFolder, Scheduler, TaskCache };

struct TaskList {
    TaskListSource source = TaskListSource::None;
    std::vector<std::string> paths;  // "\Folder\Name"
    // Per path, TaskActionsHash of its actions' commands; empty where the source does not tell them.
    std::vector<std::uint64_t> actions = {};
};

// The hash of the programs a task's actions start, in order: each command
// is a program's path (the arguments stand apart), compared as ProgramHash
// compares. Never 0.
std::uint64_t TaskActionsHash(const std::vector<std::string>& commands);

// The tasks from the first of the sources that can be read.
TaskList ListScheduledTasks();

// The names the task lists are kept under, one per source.
std::vector<std::string> ScheduledTaskPlaceNames();

// The name a task at path is reported by: its last part; empty for the
// tasks of Windows itself (under "\Microsoft\Windows\", any letter case).
std::string ScheduledTaskName(const std::string& path);

class ScheduledTaskCheck {
public:
    using Lister = std::function<TaskList()>;
    // Reports the findings of one tick, in the list's order.
    using Report = std::function<void(const std::vector<Finding>& findings)>;

    // kept: where the list is kept between runs of Vigilo (null: nowhere).
    explicit ScheduledTaskCheck(Report report, Lister lister = ListScheduledTasks, KeptListingStore* kept = nullptr);

    // Ticks run from now on. The list the next tick compares with is the
    // previous tick's; at the first start of a run, the one kept from the
    // last, and the result is true: run a tick now, to catch up on the tasks
    // registered while Vigilo was away.
    bool Start();
    // Ticks do nothing until the next Start, which compares with the list of
    // the last tick before this Stop.
    void Stop();
    // One tick: reports the new and changed tasks that pass the rules, if any, and keeps
    // this list for the next tick. A list that cannot be read leaves
    // the previous one in place. A tick that comes during one (its listing or its window) is skipped.
    void Run();

private:
    // Keeps listing of source between runs when it differs from what was kept last.
    void Keep(TaskListSource source, const Listing& listing);

    Report report_;
    Lister lister_;
    KeptListingStore* kept_;
    std::optional<std::pair<TaskListSource, Listing>> lastKept_;
    bool loaded_ = false;  // the list kept from the last run was looked at
    bool started_ = false;
    // What the next tick compares with, and where it came from.
    std::optional<std::pair<TaskListSource, Listing>> previous_;
    bool running_ = false;
};

}  // namespace vigilo
