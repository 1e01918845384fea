#pragma once
// The dots per inch a window is shown at, and the one rule by which every
// length designed for 96 DPI becomes pixels at another: MulDiv(v, dpi, 96),
// which rounds halves away from zero.
#include <windows.h>

namespace vigilo {

// The DPI every window's layout is designed for.
inline constexpr int kDesignDpi = 96;

// The length value (designed at 96 DPI) in pixels at dpi.
int ScaleForDpi(int value, int dpi);
// The window's DPI: GetDpiForWindow where the system has it (Windows 10
// 1607 and later, looked up at run time), else the screen's LOGPIXELSY.
int WindowDpi(HWND window);

}  // namespace vigilo
