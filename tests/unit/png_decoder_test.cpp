// The close cross PNG and what happens to damaged PNG data.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <string>

#include "resource_ids.h"
#include "ui/picture.h"
#include "ui/png_decoder.h"

namespace vigilo {
namespace {

std::string CloseCrossBytes() {
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(IDR_CLOSE_CROSS_PNG), MAKEINTRESOURCEA(10));
    const char* data = static_cast<const char*>(LockResource(LoadResource(module, found)));
    return std::string(data, SizeofResource(module, found));
}

// BGRA of pixel (x, y) of a decoded top-down 32-bit picture.
std::uint32_t PixelOf(const DecodedPng& png, int x, int y) {
    DIBSECTION dib{};
    GetObjectA(png.bitmap.get(), sizeof(dib), &dib);
    return static_cast<const std::uint32_t*>(dib.dsBm.bmBits)[y * png.width + x];
}

void PutBigEndian(std::string& bytes, size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>(value >> (24 - 8 * i));
}

TEST(CloseCross, DecodesToTransparentCornersAndAWhiteCentre) {
    DecodedPng png = LoadPngResource(IDR_CLOSE_CROSS_PNG);
    ASSERT_TRUE(png.bitmap);
    EXPECT_EQ(28, png.width);
    EXPECT_EQ(22, png.height);
    for (auto [x, y] : {std::pair{0, 0}, {27, 0}, {0, 21}, {27, 21}}) EXPECT_EQ(0u, PixelOf(png, x, y) >> 24);
    std::uint32_t centre = PixelOf(png, 13, 10);
    EXPECT_EQ(255u, centre >> 24);
    for (int shift : {0, 8, 16}) EXPECT_GE((centre >> shift) & 0xFF, 230u);
    // Premultiplied: no channel exceeds its alpha.
    for (int y = 0; y < 22; ++y)
        for (int x = 0; x < 28; ++x) {
            std::uint32_t px = PixelOf(png, x, y);
            for (int shift : {0, 8, 16}) ASSERT_LE((px >> shift) & 0xFF, px >> 24);
        }
}

TEST(DamagedPng, FailsCleanly) {
    const std::string good = CloseCrossBytes();
    ASSERT_GT(good.size(), 60u);
    auto decodes = [](const std::string& bytes) { return static_cast<bool>(DecodePng(bytes.data(), bytes.size()).bitmap); };
    ASSERT_TRUE(decodes(good));

    EXPECT_FALSE(decodes(good.substr(0, good.size() / 2))) << "truncated";
    EXPECT_FALSE(decodes(good.substr(0, 33))) << "header only";
    EXPECT_FALSE(decodes(std::string())) << "empty";
    EXPECT_FALSE(DecodePng(nullptr, 100).bitmap);

    std::string garbage = good.substr(0, 8) + std::string(400, '\x5A');
    EXPECT_FALSE(decodes(garbage)) << "garbage after the signature";

    std::string wrongCrc = good;
    wrongCrc[8 + 8 + 13] ^= 0x01;  // IHDR's CRC
    EXPECT_FALSE(decodes(wrongCrc)) << "IHDR CRC";
    std::string badData = good;
    badData[33 + 8 + 4] ^= 0x40;  // inside IDAT; its CRC no longer matches
    EXPECT_FALSE(decodes(badData)) << "IDAT CRC";

    // A header that claims an enormous picture, with a correct CRC.
    std::string huge = good;
    PutBigEndian(huge, 16, 100000);
    PutBigEndian(huge, 20, 100000);
    PutBigEndian(huge, 29, static_cast<std::uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(&huge[12]), 17)));
    EXPECT_FALSE(decodes(huge)) << "oversized";
}

TEST(DamagedPng, PictureStaysEmptyAndDrawsNothing) {
    Picture missing = Picture::FromPngResource(9999, true);
    EXPECT_TRUE(missing.Empty());
    HDC dc = CreateCompatibleDC(nullptr);
    missing.Draw(dc, 0, 0);  // no crash
    DeleteDC(dc);
}

}  // namespace
}  // namespace vigilo
