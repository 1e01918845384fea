#pragma once
// Fonts of the windows' labels. Each distinct font (face, pixel height, bold,
// underline) is created once and shared by every label that uses it; it is
// deleted when its last user lets go. A font's height is designed for 96 DPI
// and scaled to the window's DPI. Main thread only.
#include <windows.h>

#include <memory>

#include "platform/dpi.h"
#include "platform/unique_handle.h"

namespace vigilo {

// A label's font and text colour, as a window's control table gives them.
struct FontSpec {
    const char* face;
    int pixels;  // character height in pixels at 96 DPI (lfHeight = -pixels)
    COLORREF color = RGB(0, 0, 0);
    bool bold = false;
    bool underline = false;
};

// Every window's default font: "Segoe UI", 13 pixels, black.
inline constexpr FontSpec kDefaultFont{"Segoe UI", 13};

using SharedFont = std::shared_ptr<const UniqueFont>;

// The font for spec at dpi, created on first use; null only if GDI refuses it.
SharedFont AcquireFont(const FontSpec& spec, int dpi = kDesignDpi);

}  // namespace vigilo
