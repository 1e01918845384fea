#pragma once
// PNG pictures decoded with libpng into premultiplied BGRA pixels, and into
// 32-bit DIB sections ready for GdiAlphaBlend.
#include <windows.h>

#include <cstddef>
#include <string_view>

#include "platform/unique_handle.h"
#include "ui/bgra_image.h"

namespace vigilo {

struct DecodedPng {
    UniqueBitmap bitmap;  // top-down 32-bit BGRA, premultiplied; empty when decoding failed
    int width = 0;
    int height = 0;
};

// Decodes a PNG held in memory; any fault in the data yields an empty result.
BgraImage DecodePngPixels(const void* data, size_t size);
DecodedPng DecodePng(const void* data, size_t size);
// The size a PNG's header states; 0 x 0 when it is no PNG.
SIZE PngSize(std::string_view png);
// The bytes of the running executable's resource id of type (RT_RCDATA by
// default); empty when it has none.
std::string_view ResourceBytes(int id, const wchar_t* type = MAKEINTRESOURCEW(10));
// Decodes the RCDATA resource id of the running executable.
DecodedPng LoadPngResource(int id);

}  // namespace vigilo
