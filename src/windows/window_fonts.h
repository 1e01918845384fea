#pragma once
// Fonts and colours the program's windows share (96-DPI pixel heights).
#include "ui/font_cache.h"

namespace vigilo::fonts {

// Title of the information window, on the dark band.
inline constexpr FontSpec kInfoTitle{"Segoe UI", 13, RGB(255, 255, 255)};
// Title "Purgeon" of the notification windows, on the dark band.
inline constexpr FontSpec kNotifyTitle{"Segoe UI", 15, RGB(255, 255, 255)};
// The name of a new program or startup entry, bold.
inline constexpr FontSpec kProgramName{"Segoe UI", 15, RGB(0, 0, 0), true};
// Text beside a notification window's don't-show box.
inline constexpr FontSpec kCheckLabel{"Segoe UI", 11, RGB(70, 70, 70)};
// The link that starts Purgeon.
inline constexpr FontSpec kLink{"Segoe UI", 13, RGB(31, 72, 124), false, true};

// The junk amount, large and red, and the words that follow it on the same line.
inline constexpr FontSpec kJunkAmount{"Arial Narrow", 21, RGB(255, 0, 0), true};
inline constexpr FontSpec kJunkAmountWords{"Arial Narrow", 19, RGB(0, 0, 0)};

}  // namespace vigilo::fonts
