#pragma once
// What a startup entry starts, as its watch compares and names it. An
// entry counts as changed when the program it starts changed, never its
// arguments alone (updaters rewrite those at every update): a command is
// taken apart as Windows starts it (core/command_program.h) and only its
// program is hashed, letter case, environment strings and an ".exe" that
// Windows adds aside.
//
// Some values hold a list of programs: Winlogon's Userinit ("C:\...\userinit.exe,
// C:\Tools\tool.exe -x"), Windows' old Load and Run, AppInit_DLLs. Each
// program of such a list is an entry of its own, named by the value and
// the program ("Userinit: C:\Tools\tool.exe"), so that a program added to
// the list is a new entry; the window shows the value and the program's
// file name ("Userinit: tool.exe").
#include <cstdint>
#include <string>
#include <vector>

namespace vigilo {

// The hash of a program's path as compared: expanded, upper-cased, without
// a last ".exe"; never 0.
std::uint64_t ProgramHash(const std::string& program);
// ProgramHash of the program command starts.
std::uint64_t CommandProgramHash(const std::string& command);

// How a list value separates its items.
enum class ListItems {
    Commands,  // commas outside quotes; each item a command whose program counts (Winlogon)
    Files,     // commas and blanks outside quotes; each item a file (Load, Run, AppInit_DLLs)
};
// The programs the list value names, in order: items trimmed, quotes taken
// off, environment strings expanded; empty items left out.
std::vector<std::string> ProgramsOfList(const std::string& value, ListItems items);

// The entry of a list value's program: "<value>: <program>".
std::string ListEntryName(const std::string& valueName, const std::string& program);
// What the window names an entry that starts program: "<name>: <program's file name>",
// or name alone where there is no program.
std::string NameWithProgram(const std::string& name, const std::string& program);
// What the window names a list value's entry: its value and its program's file name.
std::string ShownListEntryName(const std::string& entryName);

}  // namespace vigilo
