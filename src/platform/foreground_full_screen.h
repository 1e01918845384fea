#pragma once
// Whether the window in front is a full-screen program: a game, a video, a
// presentation. Windows' own notification state misses those that are no
// Direct3D program.
#include <windows.h>

namespace vigilo {

// How the foreground window lies on its monitor.
enum class ForegroundShape {
    Other,          // none, hidden, the desktop, or smaller than its monitor
    CoversMonitor,  // covers its whole monitor, but has a caption or a sizing frame
    FullScreen,     // covers its whole monitor, with neither: a full-screen program
};

// What the rule looks at of one window.
struct WindowFacts {
    bool visible;
    bool shellDesktop;  // the desktop, the shell window, "Progman" or "WorkerW", which cover the screen too
    LONG style;
    RECT window;
    RECT monitor;  // its monitor's full rectangle
};

// The rule: a visible window that is not the desktop and covers its whole
// monitor is a full-screen program when it has no caption and no sizing
// frame (WS_THICKFRAME), maximised or not: games often are maximised.
ForegroundShape ShapeOf(const WindowFacts& facts);
// The rule applied to the foreground window now.
ForegroundShape ForegroundWindowShape();

}  // namespace vigilo
