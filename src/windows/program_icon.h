#pragma once
// The icon that stands for a program in the notification windows.
#include <windows.h>

#include <string>

namespace vigilo {

// The file whose first icon stands for the program: iconPath when it names
// an existing file on this computer (never a network path), else msiexec.exe
// in the system folder; empty when the system folder is unknown.
std::string ProgramIconFile(const std::string& iconPath);
// The program icon's designed size, at 96 DPI.
inline constexpr int kProgramIconSize = 32;
// The first icon of file, size pixels square, the caller's to destroy; null when it has none.
HICON FirstIcon(const std::string& file, int size = kProgramIconSize);

}  // namespace vigilo
