#include "ui/font_cache.h"

#include <map>
#include <string>
#include <tuple>

#include "platform/text.h"

namespace vigilo {
namespace {
using FontKey = std::tuple<std::string, int, bool, bool>;

std::map<FontKey, std::weak_ptr<const UniqueFont>>& Cache() {
    static std::map<FontKey, std::weak_ptr<const UniqueFont>> cache;
    return cache;
}

UniqueFont CreatePixelFont(const FontSpec& spec, int pixels) {
    LOGFONTW lf{};
    lf.lfHeight = -pixels;
    lf.lfWeight = spec.bold ? FW_BOLD : FW_NORMAL;
    lf.lfUnderline = spec.underline ? TRUE : FALSE;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
    lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    lf.lfQuality = DEFAULT_QUALITY;
    lstrcpynW(lf.lfFaceName, Utf16(spec.face).c_str(), LF_FACESIZE);
    return UniqueFont(CreateFontIndirectW(&lf));
}
}  // namespace

SharedFont AcquireFont(const FontSpec& spec, int dpi) {
    auto& cache = Cache();
    for (auto it = cache.begin(); it != cache.end();) it = it->second.expired() ? cache.erase(it) : std::next(it);

    const int pixels = ScaleForDpi(spec.pixels, dpi);
    FontKey key{spec.face, pixels, spec.bold, spec.underline};
    if (SharedFont font = cache[key].lock()) return font;
    UniqueFont created = CreatePixelFont(spec, pixels);
    if (!created) return nullptr;
    auto font = std::make_shared<const UniqueFont>(std::move(created));
    cache[key] = font;
    return font;
}

}  // namespace vigilo
