#pragma once
// PNG pictures (the close cross) decoded with libpng into 32-bit DIB
// sections with premultiplied alpha, ready for GdiAlphaBlend.
#include <windows.h>

#include <cstddef>

#include "platform/unique_handle.h"

namespace vigilo {

struct DecodedPng {
    UniqueBitmap bitmap;  // top-down 32-bit BGRA, premultiplied; empty when decoding failed
    int width = 0;
    int height = 0;
};

// Decodes a PNG held in memory; any fault in the data yields an empty result.
DecodedPng DecodePng(const void* data, size_t size);
// Decodes the RCDATA resource id of the running executable.
DecodedPng LoadPngResource(int id);

}  // namespace vigilo
