#pragma once
#include <windows.h>

#include <string>

namespace vigilo {

// Starts Purgeon.exe from the program folder with the verb "open" and the
// given parameters text (none, " /STARTUP" or " /CLEAN"), owned by owner.
// When the file is missing (or is a folder) the information window is shown
// modally instead; while it is up, a launch does nothing. The caller does
// not learn whether the start succeeded.
void LaunchCompanion(HWND owner, const std::string& parameters = "");

}  // namespace vigilo
