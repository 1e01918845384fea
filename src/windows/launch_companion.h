#pragma once
#include <windows.h>

#include <functional>
#include <string>

namespace vigilo {

// Starts Purgeon.exe from the program folder with the verb "open" and the
// given parameters text (none, " /STARTUP" or " /CLEAN"), owned by owner.
// When the file is missing (or is a folder) the information window shows
// instead, without modality, and afterInformation runs once the user has
// closed it; then the result is true. While that window is up, a launch
// does nothing. The caller does not learn whether the start succeeded.
bool LaunchCompanion(HWND owner, const std::string& parameters = "", std::function<void()> afterInformation = {});

}  // namespace vigilo
