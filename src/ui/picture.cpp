#include "ui/picture.h"

#include "ui/png_decoder.h"

namespace vigilo {
namespace {

const wchar_t* ResourceTypeOf(ArtSet set) {
    switch (set) {
    case ArtSet::Percent150: return L"ART150";
    case ArtSet::Percent200: return L"ART200";
    default: return MAKEINTRESOURCEW(10);  // RT_RCDATA
    }
}

}  // namespace

ArtSet ArtSetFor(int dpi) {
    if (dpi <= kDesignDpi) return ArtSet::Percent100;
    if (dpi <= kDesignDpi * 3 / 2) return ArtSet::Percent150;
    return ArtSet::Percent200;
}

Picture Picture::FromPngResource(int id, bool alpha, int dpi) {
    const std::string_view design = ResourceBytes(id);
    const SIZE designSize = PngSize(design);
    const SIZE wanted{ScaleForDpi(designSize.cx, dpi), ScaleForDpi(designSize.cy, dpi)};
    if (wanted.cx < 1 || wanted.cy < 1) return {};
    std::string_view chosen = ResourceBytes(id, ResourceTypeOf(ArtSetFor(dpi)));
    if (chosen.empty()) chosen = design;  // a set without this picture: the 100 % one, scaled
    BgraImage image = DecodePngPixels(chosen.data(), chosen.size());
    if (!image.Empty() && (image.width != wanted.cx || image.height != wanted.cy))
        image = Resampled(image, wanted.cx, wanted.cy);
    Picture p;
    p.bitmap_ = ToBitmap(image);
    p.alpha_ = alpha;
    if (p.bitmap_) p.size_ = wanted;
    return p;
}

Picture Picture::FromIcon(HICON icon, int size) {
    Picture p;
    p.icon_.reset(icon);
    if (icon && size > 0) p.size_ = {size, size};
    return p;
}

void Picture::Draw(HDC dc, int x, int y) const {
    if (icon_) {
        DrawIconEx(dc, x, y, icon_.get(), size_.cx, size_.cy, 0, nullptr, DI_NORMAL);
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
