#pragma once
// Which file's signature a finding's window gives: the file behind a new
// program or a startup entry, by the path rule, made full. No file (empty)
// where the entry names none that exists, and for files in the Windows
// folder, whose signatures sit in the system's catalogs, not in the files.
#include <string>

namespace vigilo {

// A new program: the file its DisplayIcon names (without ",index"; an icon
// file does not count), else the program its UninstallString starts, unless
// that is msiexec.exe (Windows Installer's own, which says nothing of the program).
std::string ProgramFileToCheck(const std::string& displayIcon, const std::string& uninstallString);

// A Run or RunOnce value: the program its command starts, or the DLL that
// rundll32.exe or regsvr32.exe loads.
std::string StartupCommandFileToCheck(const std::string& command);

// An entry of a Startup folder: a shortcut's target (or the DLL it has
// rundll32.exe or regsvr32.exe load), any other file itself.
std::string StartupFolderFileToCheck(const std::string& entryPath);

// Whether path lies in the Windows folder (letter case aside).
bool InWindowsFolder(const std::string& path);

}  // namespace vigilo
