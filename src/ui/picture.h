#pragma once
// A picture an image control shows: a PNG from the resources, opaque or
// with alpha, or an icon. The picture owns its GDI object or icon and
// releases it with itself.
#include <windows.h>

#include "platform/unique_handle.h"

namespace vigilo {

class Picture {
public:
    Picture() = default;
    // An RCDATA resource holding a PNG; empty when missing or corrupt. An
    // opaque picture is copied as it is, one with alpha blended over what
    // lies beneath it.
    static Picture FromPngResource(int id, bool alpha);
    // Takes ownership of icon (may be null).
    static Picture FromIcon(HICON icon);

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
