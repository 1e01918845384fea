#pragma once
// The rules of the places beyond the Run keys, the Startup folders and the
// services' key where a program can make itself start (watch_kinds.cpp
// names their places): Winlogon, Windows' old Load and Run, AppInit_DLLs,
// debugger redirections, Active Setup, the command processor's AutoRun,
// RunOnceEx and the objects Explorer loads. Each finding is a startup entry
// under the startup entries' rules (Purgeon's exclusion list; none while
// Purgeon runs), in listing order; an entry whose program changed says so.
#include <vector>

#include "core/finding.h"
#include "monitors/watch.h"

namespace vigilo {

// A program added to a list value (CommandLists, FileLists, AppInitDlls),
// named by the value and the program's file name ("Userinit: tool.exe");
// changed where the same value lost a program in the same round.
std::vector<Finding> ProgramsAddedToLists(const RoundSight& sight);
// A new value or subkey that holds a command, or one whose program changed
// (ValuePrograms; SubkeysWithValue: a Debugger under Image File Execution
// Options, a MonitorProcess under SilentProcessExit), named by itself and
// its program's file name ("AutoRun: tool.exe", "notepad.exe: debugger.exe").
std::vector<Finding> NewOrChangedCommandValues(const RoundSight& sight);
// A new Active Setup component (SubkeysWithValue of StubPath), named by its
// default value, else by its StubPath's program's file name.
std::vector<Finding> NewActiveSetupComponents(const RoundSight& sight);
// A new RunOnceEx entry (a subkey), named by its default value, else by its
// name; its program is what its first named value starts or loads.
std::vector<Finding> NewRunOnceExEntries(const RoundSight& sight);
// A new value of a key whose values Explorer loads, named by the value; its
// program is the library of the class it names.
std::vector<Finding> NewExplorerValues(const RoundSight& sight);

}  // namespace vigilo
