#include "ui/png_decoder.h"

#include <png.h>

#include <cstdint>
#include <cstring>
#include <vector>

// libpng reports errors by longjmp back to the setjmp in ReadRgba. That
// function holds no C++ objects of its own, so the jump skips no
// destructor: the pixel buffers belong to the caller and are freed there.

namespace vigilo {
namespace {
constexpr png_uint_32 kMaxSide = 4096;

struct MemoryReader {
    const png_byte* data;
    size_t size;
    size_t offset;
};

void ReadFromMemory(png_structp png, png_bytep out, png_size_t length) {
    auto* reader = static_cast<MemoryReader*>(png_get_io_ptr(png));
    if (length > reader->size - reader->offset) png_error(png, "truncated");
    std::memcpy(out, reader->data + reader->offset, length);
    reader->offset += length;
}

void QuietError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void QuietWarning(png_structp, png_const_charp) {}

struct Rgba {
    std::vector<std::uint8_t> pixels;  // BGRA rows, top-down
    std::vector<png_bytep> rows;
    png_uint_32 width = 0;
    png_uint_32 height = 0;
};

bool ReadRgba(png_structp png, png_infop info, Rgba* out) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_set_user_limits(png, kMaxSide, kMaxSide);
    png_read_info(png, info);
    int bitDepth = 0, colorType = 0;
    png_get_IHDR(png, info, &out->width, &out->height, &bitDepth, &colorType, nullptr, nullptr, nullptr);
    png_set_expand(png);  // palette and low-bit grey to 8 bits, tRNS to alpha
    png_set_strip_16(png);
    png_set_gray_to_rgb(png);
    png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
    png_set_bgr(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) != static_cast<png_size_t>(out->width) * 4) png_error(png, "layout");
    out->pixels.resize(static_cast<size_t>(out->width) * out->height * 4);
    out->rows.resize(out->height);
    for (png_uint_32 y = 0; y < out->height; ++y) out->rows[y] = &out->pixels[static_cast<size_t>(y) * out->width * 4];
    png_read_image(png, out->rows.data());
    png_read_end(png, nullptr);
    return true;
}
}  // namespace

BgraImage DecodePngPixels(const void* data, size_t size) {
    if (!data || size < 8 || png_sig_cmp(static_cast<png_const_bytep>(data), 0, 8) != 0) return {};
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, QuietError, QuietWarning);
    if (!png) return {};
    png_infop info = png_create_info_struct(png);
    MemoryReader reader{static_cast<const png_byte*>(data), size, 0};
    Rgba rgba;
    bool ok = info != nullptr;
    if (ok) {
        png_set_read_fn(png, &reader, ReadFromMemory);
        ok = ReadRgba(png, info, &rgba);
    }
    png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
    if (!ok || rgba.width == 0 || rgba.height == 0) return {};

    BgraImage image{static_cast<int>(rgba.width), static_cast<int>(rgba.height), std::move(rgba.pixels)};
    for (size_t i = 0; i < image.pixels.size(); i += 4) {
        const unsigned a = image.pixels[i + 3];
        for (int c = 0; c < 3; ++c)
            image.pixels[i + c] = static_cast<std::uint8_t>((image.pixels[i + c] * a + 127) / 255);
    }
    return image;
}

DecodedPng DecodePng(const void* data, size_t size) {
    BgraImage image = DecodePngPixels(data, size);
    DecodedPng result;
    result.bitmap = ToBitmap(image);
    if (result.bitmap) {
        result.width = image.width;
        result.height = image.height;
    }
    return result;
}

SIZE PngSize(std::string_view png) {
    // The signature, then IHDR's length and name, then width and height, big-endian.
    constexpr size_t kWidthAt = 16;
    if (png.size() < kWidthAt + 8 || png_sig_cmp(reinterpret_cast<png_const_bytep>(png.data()), 0, 8) != 0)
        return {0, 0};
    auto at = [&](size_t offset) {
        std::uint32_t value = 0;
        for (size_t i = 0; i < 4; ++i) value = value << 8 | static_cast<std::uint8_t>(png[offset + i]);
        return value;
    };
    const std::uint32_t width = at(kWidthAt), height = at(kWidthAt + 4);
    if (width == 0 || height == 0 || width > kMaxSide || height > kMaxSide) return {0, 0};
    return {static_cast<LONG>(width), static_cast<LONG>(height)};
}

std::string_view ResourceBytes(int id, const wchar_t* type) {
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), type);
    if (!found) return {};
    HGLOBAL loaded = LoadResource(module, found);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    return data ? std::string_view(static_cast<const char*>(data), SizeofResource(module, found)) : std::string_view();
}

DecodedPng LoadPngResource(int id) {
    const std::string_view bytes = ResourceBytes(id);
    return DecodePng(bytes.data(), bytes.size());
}

}  // namespace vigilo
