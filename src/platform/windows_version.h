#pragma once
// Which Windows the program runs on, for what only newer systems have.
#include <windows.h>

namespace vigilo {

// Whether Windows is version major.minor or later (Windows 8 is 6.2). The
// program's manifest names the systems up to Windows 10, so it is told the truth.
bool WindowsIsAtLeast(DWORD major, DWORD minor);

}  // namespace vigilo
