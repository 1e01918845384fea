#pragma once
// The check for new scheduled tasks, run by the main form's ten-minute
// timer on the main thread while the startup watches run. The Task
// Scheduler gives no change notification a standard user could wait on, so
// each tick lists the tasks and compares them with the previous tick's list
// (the first one taken when the startup watches start). A task new since
// then, other than Windows' own under "\Microsoft\Windows\", is a new
// startup entry named by its task name (the last part of its path), under
// the startup entries' rules (startup_entry_rules.h).
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/kept_listing.h"

namespace vigilo {

// Where the task list came from: the system's "Tasks" folder where it can be
// read (Wine, an elevated program), else the Task Scheduler's interface (a
// standard user on Windows), else the registry's task cache.
enum class TaskListSource { None, TaskFolder, Scheduler, TaskCache };

struct TaskList {
    TaskListSource source = TaskListSource::None;
    std::vector<std::string> paths;  // "\Folder\Name"
};

// The tasks from the first of the sources that can be read.
TaskList ListScheduledTasks();

// The name a task at path is reported by: its last part; empty for the
// tasks of Windows itself (under "\Microsoft\Windows\", any letter case).
std::string ScheduledTaskName(const std::string& path);

class ScheduledTaskCheck {
public:
    using Lister = std::function<TaskList()>;
    // Reports the names of the new tasks of one tick, in the list's order.
    using Report = std::function<void(const std::vector<std::string>& taskNames)>;

    // kept: where the list is kept between runs of Vigilo (null: nowhere).
    explicit ScheduledTaskCheck(Report report, Lister lister = ListScheduledTasks, KeptListingStore* kept = nullptr);

    // Takes the list the next ticks compare with; when it cannot be read,
    // the first tick's list is taken instead. At the first start of a run
    // with a list kept from the last run, that list is the one compared with
    // instead, and the result is true: run a tick now, to catch up on the
    // tasks registered while Vigilo was away.
    bool Start();
    // Ticks do nothing until the next Start.
    void Stop();
    // One tick: reports the new tasks that pass the rules, if any, and keeps
    // this list for the next tick. A list that cannot be read leaves
    // the previous one in place. A tick that comes during one (its listing or its window) is skipped.
    void Run();

private:
    // Keeps paths between runs when they differ from what was kept last.
    void Keep(const std::vector<std::string>& paths);

    Report report_;
    Lister lister_;
    KeptListingStore* kept_;
    std::optional<std::vector<std::string>> lastKept_;
    bool catchingUp_ = false;
    bool started_ = false;
    std::optional<std::vector<std::string>> previous_;
    bool running_ = false;
};

}  // namespace vigilo
