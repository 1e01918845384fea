#pragma once
// Helpers for tests of the windows: reading back what a control paints,
// moving the real mouse and clicking controls.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "ui/form.h"

namespace vigilo::test {

struct Pixels {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> data;  // 0x00RRGGBB, top-down
    COLORREF At(int x, int y) const;  // as RGB()
    // Whether any pixel in the rectangle is darker than limit in every channel.
    bool AnyDark(const RECT& area, int limit = 128) const;
};

// What the control paints (itself over what lies beneath it), via WM_PRINTCLIENT.
Pixels PaintOf(HWND control);
// What the window shows right now, read from its window DC.
Pixels ScreenOf(HWND window);

// Moves the real cursor to client point (x, y) of window and waits until
// the window under it has handled the move; returns that window (null on
// time-out). The cursor must not already be at that point.
HWND MoveMouseTo(HWND window, int x, int y);
// Posts a left-button press and release at the control's centre.
void PostClick(HWND control);

// Whether the shell gives a visible top-level window a taskbar button and an
// Alt+Tab entry: always with WS_EX_APPWINDOW, otherwise when it has no owner
// and is no tool window.
bool ShowsInTaskbar(HWND window);

// The form's label or image whose table row has the given name; null when
// there is none of that kind. For tests that check every control of a table.
Label* FindLabel(const Form& form, const std::string& name);
Image* FindImage(const Form& form, const std::string& name);

}  // namespace vigilo::test
