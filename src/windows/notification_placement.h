#pragma once
// Where a notification window goes: 5 pixels from the right edge of the
// primary monitor's work area, and 60 above the screen's bottom edge, or
// higher where the work area ends higher (a taskbar at the bottom taller
// than 55 pixels), so that no taskbar, at any edge, covers it. The 5 and the
// 60 are 96-DPI pixels, scaled by the window's DPI. With no taskbar, or an
// ordinary one at the bottom, that is the designed place, which measures
// from the screen alone.
#include <windows.h>

namespace vigilo {

// The top-left corner of a window of size (at dpi) on a primary monitor
// of screen size whose work area is workArea.
POINT NotificationPlacement(SIZE window, SIZE screen, const RECT& workArea, int dpi);

}  // namespace vigilo
