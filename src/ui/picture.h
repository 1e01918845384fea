#pragma once
// A picture an image control shows: a PNG from the resources, opaque or
// with alpha, or an icon. The picture owns its GDI object or icon and
// releases it with itself.
//
// Every picture of the program's art is drawn in three sets, for 100 %,
// 150 % and 200 % (96, 144 and 192 DPI): the 100 % set as RCDATA resources,
// the others under the same ids as resources of type "ART150" and "ART200".
// A window at any DPI takes the nearest set at least as large and scales it
// down to its size; above 200 % the 200 % set is scaled up.
#include <windows.h>

#include "platform/dpi.h"
#include "platform/unique_handle.h"

namespace vigilo {

// The art sets, by the scale they are drawn for.
enum class ArtSet { Percent100, Percent150, Percent200 };
// The set a window at dpi takes its pictures from.
ArtSet ArtSetFor(int dpi);

class Picture {
public:
    Picture() = default;
    // The art resource id as a window at dpi shows it: its 96-DPI size
    // scaled by dpi / 96; empty when missing or corrupt. An opaque picture
    // is copied as it is, one with alpha blended over what lies beneath it.
    static Picture FromPngResource(int id, bool alpha, int dpi = kDesignDpi);
    // Takes ownership of icon (may be null), made size pixels square. The
    // size is the one it was asked for, not read back from the icon's
    // bitmaps: under Wine that failed once for a fresh icon, and left the
    // picture, and an image sized to it, 0 x 0.
    static Picture FromIcon(HICON icon, int size);

    bool Empty() const { return !bitmap_ && !icon_; }
    SIZE Size() const { return size_; }
    // Draws the picture with its top-left corner at x, y; alpha is honoured.
    void Draw(HDC dc, int x, int y) const;

private:
    UniqueBitmap bitmap_;
    UniqueIcon icon_;
    bool alpha_ = false;
    SIZE size_{0, 0};
};

}  // namespace vigilo
