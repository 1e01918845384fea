#include "core/companion_running.h"

#include <windows.h>

#include "core/companion.h"

namespace vigilo {

bool IsCompanionRunning() { return FindWindowA(companion::kWindowClass, companion::kWindowTitle) != nullptr; }

}  // namespace vigilo
