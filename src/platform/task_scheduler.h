#pragma once
// The tasks registered with the Task Scheduler, as its own interface lists
// them to the user who asks (hidden tasks included), and the places where
// the system keeps them, for systems whose interface cannot list: the
// "Tasks" folder of the system folder and the registry's task cache. Every
// task is named by its path, "\Folder\Name", and, where the source tells,
// carries the programs its actions start.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vigilo {

struct RegisteredTask {
    std::string path;  // "\Folder\Name"
    // The Command of each of its Exec actions, in order (a task whose
    // definition could not be read has none); empty where the source keeps
    // no actions that could be read (the task cache).
    std::optional<std::vector<std::string>> commands = {};
};

// The tasks through the Task Scheduler's interface, with their actions;
// empty when it cannot be reached or cannot list (Wine's answers E_NOTIMPL).
std::optional<std::vector<RegisteredTask>> TasksFromScheduler();
// The tasks from the files of the system's "Tasks" folder (the native one,
// not the 32-bit programs' copy), with the actions each file defines; none
// when the folder does not exist (no task was ever stored); empty when it
// cannot be read, as for a standard user on Windows.
std::optional<std::vector<RegisteredTask>> TasksFromTaskFolder();
// The tasks from the registry's task cache (a key with an "Id" value is a
// task), without actions: the cache keeps them in an undocumented form.
// Empty when it cannot be read.
std::optional<std::vector<RegisteredTask>> TasksFromTaskCache();

// The Command of each Exec action of a task's XML definition, in order, its
// character references and the five named ones resolved; comments skipped.
std::vector<std::string> ExecCommandsOfTaskXml(std::string_view xml);

}  // namespace vigilo
