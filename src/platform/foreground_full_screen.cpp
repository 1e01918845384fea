#include "platform/foreground_full_screen.h"

#include <windows.h>

namespace vigilo {
namespace {

bool IsShellDesktop(HWND window) {
    if (window == GetDesktopWindow() || window == GetShellWindow()) return true;
    wchar_t className[16] = {};
    GetClassNameW(window, className, 16);
    return lstrcmpW(className, L"Progman") == 0 || lstrcmpW(className, L"WorkerW") == 0;
}

}  // namespace

bool ForegroundIsFullScreen() {
    const HWND window = GetForegroundWindow();
    if (!window || !IsWindowVisible(window) || IsZoomed(window) || IsShellDesktop(window)) return false;
    if ((GetWindowLongW(window, GWL_STYLE) & WS_CAPTION) == WS_CAPTION) return false;
    const HMONITOR monitor = MonitorFromWindow(window, MONITOR_DEFAULTTONULL);
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    RECT rect{};
    if (!monitor || !GetMonitorInfoW(monitor, &info) || !GetWindowRect(window, &rect)) return false;
    return rect.left <= info.rcMonitor.left && rect.top <= info.rcMonitor.top && rect.right >= info.rcMonitor.right &&
           rect.bottom >= info.rcMonitor.bottom;
}

}  // namespace vigilo
