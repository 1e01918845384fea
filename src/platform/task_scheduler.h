#pragma once
// The tasks registered with the Task Scheduler, as its own interface lists
// them to the user who asks (hidden tasks included), and the places where
// the system keeps them, for systems whose interface cannot list: the
// "Tasks" folder of the system folder and the registry's task cache. Every
// task is named by its path, "\Folder\Name".
#include <optional>
#include <string>
#include <vector>

namespace vigilo {

// The tasks' paths through the Task Scheduler's interface; empty when it
// cannot be reached or cannot list (Wine's answers E_NOTIMPL).
std::optional<std::vector<std::string>> TaskPathsFromScheduler();
// The tasks' paths from the files of the system's "Tasks" folder (the native
// one, not the 32-bit programs' copy); none when the folder does not exist
// (no task was ever stored); empty when it cannot be read, as for a standard
// user on Windows.
std::optional<std::vector<std::string>> TaskPathsFromTaskFolder();
// The tasks' paths from the registry's task cache (a key with an "Id" value
// is a task); empty when it cannot be read.
std::optional<std::vector<std::string>> TaskPathsFromTaskCache();

}  // namespace vigilo
