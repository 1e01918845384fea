#include "platform/dpi.h"

namespace vigilo {
namespace {

using GetDpiForWindowFn = UINT(WINAPI*)(HWND);

GetDpiForWindowFn GetDpiForWindowOfSystem() {
    static const GetDpiForWindowFn function = [] {
        const HMODULE user = GetModuleHandleW(L"user32.dll");
        return reinterpret_cast<GetDpiForWindowFn>(
            reinterpret_cast<void*>(user ? GetProcAddress(user, "GetDpiForWindow") : nullptr));
    }();
    return function;
}

int ScreenDpi() {
    const HDC screen = GetDC(nullptr);
    if (!screen) return kDesignDpi;
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : kDesignDpi;
}

}  // namespace

int ScaleForDpi(int value, int dpi) { return MulDiv(value, dpi, kDesignDpi); }

int WindowDpi(HWND window) {
    if (const GetDpiForWindowFn get = GetDpiForWindowOfSystem(); get && window)
        if (const UINT dpi = get(window)) return static_cast<int>(dpi);
    return ScreenDpi();
}

}  // namespace vigilo
