#pragma once
// The program a command starts, as Windows starts a command that a Run
// value, a shortcut or an uninstall entry holds: environment strings
// expanded, then a quoted program up to its closing quote, or, unquoted, the
// first blank-ended prefix that is an existing file (with ".exe" tried where
// it names none), as CreateProcess does with "C:\Program Files\App\app.exe";
// the rest are its arguments. Whether a program changed is told by comparing
// what this gives.
//
// Any process of the user can write such a command, of any length, so it is
// taken apart in time linear in its length: a command longer than
// CreateProcess takes starts nothing, and no prefix longer than MAX_PATH, or
// holding a character no path holds (", <, >, | or a control character), is
// tried as a program.
#include <functional>
#include <string>
#include <vector>

namespace vigilo {

// The longest command line CreateProcess takes, in UTF-16 characters.
inline constexpr size_t kLongestCommandLine = 32767;

struct CommandProgram {
    std::string program;    // as written or found, not made full
    std::string arguments;  // without the blanks before them
};

// Whether path is an existing file.
using FileTest = std::function<bool(const std::string& path)>;

// The program of command with the file system's answers: only files whose
// paths the path rule accepts count as existing (no relative path is tried
// in the current folder, nothing on another computer).
CommandProgram ProgramOfCommand(const std::string& command);
// The same, asking isFile. An unquoted command whose prefixes name no
// existing file ends its program after the first ".exe" that a blank or
// its end follows, or else at its first blank. A command longer than
// kLongestCommandLine, as written or expanded, gives no program.
CommandProgram ProgramOfCommand(const std::string& command, const FileTest& isFile);

// The arguments one by one, as a program's runtime splits them: at blanks
// outside quotes, quotes removed.
std::vector<std::string> SplitArguments(const std::string& arguments);

// For rundll32.exe and regsvr32.exe (with or without folder and ".exe"),
// the DLL they load, as written: rundll32's first argument up to its ",",
// regsvr32's first argument that is no switch. Empty for other programs, and
// where none is named.
std::string LibraryLoadedBy(const CommandProgram& command);

// A program's path as a command that starts it: trimmed and quoted (a path
// already quoted stays as it is), so no blank in it is taken for the end of it.
std::string QuotedProgram(const std::string& program);

// The file name of path: what follows its last "\" or "/".
std::string FileNameOf(const std::string& path);

}  // namespace vigilo
