#pragma once
// A picture's pixels in memory, for the step between decoding and GDI:
// scaling to the size a window's DPI asks for, then the DIB section.
#include <windows.h>

#include <cstdint>
#include <vector>

#include "platform/unique_handle.h"

namespace vigilo {

struct BgraImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;  // top-down rows of B, G, R, A; colour premultiplied by alpha

    bool Empty() const { return width <= 0 || height <= 0; }
};

// image scaled to width x height (both at least 1) by area averaging: each
// new pixel is the mean of the part of the picture it covers, so scaling
// down keeps thin lines as lighter lines rather than dropping them.
BgraImage Resampled(const BgraImage& image, int width, int height);
// A top-down 32-bit DIB section holding image; empty when GDI refuses it or image is empty.
UniqueBitmap ToBitmap(const BgraImage& image);

}  // namespace vigilo
