#include "ui/picture.h"

#include "ui/png_decoder.h"

namespace vigilo {

Picture Picture::FromPngResource(int id, bool alpha) {
    DecodedPng png = LoadPngResource(id);
    Picture p;
    p.bitmap_ = std::move(png.bitmap);
    p.alpha_ = alpha;
    if (p.bitmap_) p.size_ = {png.width, png.height};
    return p;
}

Picture Picture::FromIcon(HICON icon) {
    Picture p;
    p.icon_.reset(icon);
    ICONINFO info{};
    if (icon && GetIconInfo(icon, &info)) {
        // GetIconInfo hands out copies of the icon's bitmaps; they are ours to delete.
        UniqueBitmap mask(info.hbmMask), color(info.hbmColor);
        BITMAP bm{};
        if (GetObjectW(info.hbmMask, sizeof(bm), &bm))
            p.size_ = {bm.bmWidth, info.hbmColor ? bm.bmHeight : bm.bmHeight / 2};
    }
    return p;
}

void Picture::Draw(HDC dc, int x, int y) const {
    if (icon_) {
        DrawIconEx(dc, x, y, icon_.get(), 0, 0, 0, nullptr, DI_NORMAL);
        return;
    }
    if (!bitmap_) return;
    UniqueMemoryDc source(CreateCompatibleDC(dc));
    if (!source) return;
    ScopedSelect select(source.get(), bitmap_.get());
    if (alpha_) {
        BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
        GdiAlphaBlend(dc, x, y, size_.cx, size_.cy, source.get(), 0, 0, size_.cx, size_.cy, blend);
    } else {
        BitBlt(dc, x, y, size_.cx, size_.cy, source.get(), 0, 0, SRCCOPY);
    }
}

}  // namespace vigilo
