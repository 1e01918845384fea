#include "monitors/companion_running.h"

#include <windows.h>

#include "app/companion.h"

namespace vigilo {

bool IsCompanionRunning() { return FindWindowA(companion::kWindowClass, companion::kWindowTitle) != nullptr; }

}  // namespace vigilo
