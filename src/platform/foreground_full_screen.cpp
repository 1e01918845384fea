#include "platform/foreground_full_screen.h"

namespace vigilo {
namespace {

bool IsShellDesktop(HWND window) {
    if (window == GetDesktopWindow() || window == GetShellWindow()) return true;
    wchar_t className[16] = {};
    GetClassNameW(window, className, 16);
    return lstrcmpW(className, L"Progman") == 0 || lstrcmpW(className, L"WorkerW") == 0;
}

bool Covers(const RECT& window, const RECT& monitor) {
    return window.left <= monitor.left && window.top <= monitor.top && window.right >= monitor.right &&
           window.bottom >= monitor.bottom;
}

}  // namespace

ForegroundShape ShapeOf(const WindowFacts& facts) {
    if (!facts.visible || facts.shellDesktop || !Covers(facts.window, facts.monitor)) return ForegroundShape::Other;
    const bool captioned = (facts.style & WS_CAPTION) == WS_CAPTION;
    if (captioned || (facts.style & WS_THICKFRAME)) return ForegroundShape::CoversMonitor;
    return ForegroundShape::FullScreen;
}

ForegroundShape ForegroundWindowShape() {
    const HWND window = GetForegroundWindow();
    if (!window) return ForegroundShape::Other;
    const HMONITOR monitor = MonitorFromWindow(window, MONITOR_DEFAULTTONULL);
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    WindowFacts facts{IsWindowVisible(window) != FALSE, IsShellDesktop(window),
                      GetWindowLongW(window, GWL_STYLE), {}, {}};
    if (!monitor || !GetMonitorInfoW(monitor, &info) || !GetWindowRect(window, &facts.window))
        return ForegroundShape::Other;
    facts.monitor = info.rcMonitor;
    return ShapeOf(facts);
}

}  // namespace vigilo
