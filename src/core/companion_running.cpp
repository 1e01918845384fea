#include "core/companion_running.h"

#include <windows.h>

#include "core/companion.h"
#include "platform/window_text.h"

namespace vigilo {

bool IsCompanionRunning() { return FindTopLevelWindow(companion::kWindowClass, companion::kWindowTitle) != nullptr; }

}  // namespace vigilo
