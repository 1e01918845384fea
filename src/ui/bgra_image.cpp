#include "ui/bgra_image.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace vigilo {
namespace {

// The source pixels one new pixel covers along an axis, with the share each gives.
struct Span {
    int first = 0;
    std::vector<float> weights;
};

std::vector<Span> Spans(int from, int to) {
    std::vector<Span> spans(static_cast<size_t>(to));
    const double step = static_cast<double>(from) / to;
    for (int d = 0; d < to; ++d) {
        const double start = d * step, end = std::min<double>(from, (d + 1) * step);
        Span& span = spans[static_cast<size_t>(d)];
        span.first = static_cast<int>(std::floor(start));
        for (int s = span.first; s < from && s < end; ++s) {
            const double covered = std::min<double>(end, s + 1) - std::max<double>(start, s);
            span.weights.push_back(static_cast<float>(covered / step));
        }
    }
    return spans;
}

}  // namespace

BgraImage Resampled(const BgraImage& image, int width, int height) {
    if (image.Empty() || width < 1 || height < 1) return {};
    const std::vector<Span> across = Spans(image.width, width), down = Spans(image.height, height);
    // Across first, into floats (width x the source's height), then down.
    std::vector<float> rows(static_cast<size_t>(width) * image.height * 4, 0.0f);
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < width; ++x) {
            const Span& span = across[static_cast<size_t>(x)];
            float* out = &rows[(static_cast<size_t>(y) * width + x) * 4];
            for (size_t i = 0; i < span.weights.size(); ++i) {
                const std::uint8_t* in = &image.pixels[(static_cast<size_t>(y) * image.width + span.first + i) * 4];
                for (int c = 0; c < 4; ++c) out[c] += in[c] * span.weights[i];
            }
        }
    BgraImage result{width, height, std::vector<std::uint8_t>(static_cast<size_t>(width) * height * 4)};
    for (int y = 0; y < height; ++y) {
        const Span& span = down[static_cast<size_t>(y)];
        for (int x = 0; x < width; ++x) {
            float sum[4] = {};
            for (size_t i = 0; i < span.weights.size(); ++i) {
                const float* in = &rows[((span.first + i) * width + x) * 4];
                for (int c = 0; c < 4; ++c) sum[c] += in[c] * span.weights[i];
            }
            std::uint8_t* out = &result.pixels[(static_cast<size_t>(y) * width + x) * 4];
            for (int c = 0; c < 4; ++c) out[c] = static_cast<std::uint8_t>(std::clamp(std::lround(sum[c]), 0L, 255L));
            // Premultiplied colour never exceeds its alpha, whatever the rounding.
            for (int c = 0; c < 3; ++c) out[c] = std::min(out[c], out[3]);
        }
    }
    return result;
}

UniqueBitmap ToBitmap(const BgraImage& image) {
    if (image.Empty()) return {};
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = image.width;
    bi.bmiHeader.biHeight = -image.height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    UniqueBitmap bitmap(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap || !bits) return {};
    std::memcpy(bits, image.pixels.data(), image.pixels.size());
    GdiFlush();
    return bitmap;
}

}  // namespace vigilo
