#pragma once
// The program of a new program or a startup entry: the file behind it, by
// the path rule, made full and normal (no "." or ".." parts); none (empty)
// where the entry names no file that exists. Its window gives the signature
// of that file, unless it lies in the Windows folder, whose files' signatures
// sit in the system's catalogs, not in the files.
#include <string>

namespace vigilo {

// A new program: the file its DisplayIcon names (without ",index"; an icon
// file does not count), else the program its UninstallString starts, unless
// that is msiexec.exe (Windows Installer's own, which says nothing of the
// program).
std::string UninstallEntryProgram(const std::string& displayIcon, const std::string& uninstallString);

// A Run or RunOnce value: the program its command starts, or the DLL that
// rundll32.exe or regsvr32.exe loads.
std::string StartupCommandProgram(const std::string& command);

// An entry of a Startup folder: a shortcut's target (or the DLL it has
// rundll32.exe or regsvr32.exe load), any other file itself.
std::string StartupFileProgram(const std::string& entryPath);
// An existing file a list value names, made full and normal.
std::string ListedProgram(const std::string& path);

// The file whose signature is checked for program: program itself, or none
// for a file in the Windows folder.
std::string FileToCheck(const std::string& program);

// Whether path lies in the Windows folder (letter case aside).
bool InWindowsFolder(const std::string& path);

}  // namespace vigilo
