// Bitmap resources: a test bitmap of this program's own, built into it as the library's
// bitmaps are built into the library, found by LoadBitmapA; and the decoder's limits.
#include <gtest/gtest.h>

#include <vector>

#include "platform/gdi/dib_decoder.h"
#include "res/resource_table.h"
#include "support/test_host.h"

namespace {

using namespace wdtest;

// A 3 x 2, 4 bits per pixel bitmap file with a 16-colour palette, bottom-up:
// top row    red  green blue
// bottom row blue white black
constexpr uint8_t kFourBit[] = {
    'B', 'M', 0x7E, 0, 0, 0, 0, 0, 0, 0, 0x76, 0, 0, 0,                  // file header: size, bits at 118
    40, 0, 0, 0, 3, 0, 0, 0, 2, 0, 0, 0, 1, 0, 4, 0, 0, 0, 0, 0,          // info: 3 x 2, 1 plane, 4 bits, BI_RGB
    8, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,           // image size 8, no resolution, 16 colours
    0, 0, 0, 0,   0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0, 0,               // palette 0 black, 1 red, 2 green, 3 blue
    255, 255, 255, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,                 // 4 white, 5..
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,                       // 16 entries in all
    0x34, 0x00, 0, 0,                                                     // bottom row: 3 4 0
    0x12, 0x30, 0, 0,                                                     // top row: 1 2 3
};
constexpr int kTestBitmapId = 4711;
WD_RESOURCE_ENTRY(kTestBitmapEntry, wd::res::kTypeBitmap, kTestBitmapId, kFourBit, sizeof kFourBit);

TEST(BitmapResources, LoadBitmapFindsTheModulesBitmapById) {
    HBITMAP bitmap = LoadBitmapA(nullptr, MAKEINTRESOURCEA(kTestBitmapId));
    ASSERT_NE(bitmap, nullptr);
    BITMAP info{};
    ASSERT_EQ(GetObjectA(bitmap, sizeof info, &info), static_cast<int>(sizeof info));
    EXPECT_EQ(info.bmWidth, 3);
    EXPECT_EQ(info.bmHeight, 2);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    EXPECT_EQ(GetPixel(dc, 0, 0), colorRef(255, 0, 0));
    EXPECT_EQ(GetPixel(dc, 1, 0), colorRef(0, 255, 0));
    EXPECT_EQ(GetPixel(dc, 2, 0), colorRef(0, 0, 255));
    EXPECT_EQ(GetPixel(dc, 0, 1), colorRef(0, 0, 255));
    EXPECT_EQ(GetPixel(dc, 1, 1), colorRef(255, 255, 255));
    EXPECT_EQ(GetPixel(dc, 2, 1), colorRef(0, 0, 0));
    // Stretched as the main window stretches its picture.
    HDC big = CreateCompatibleDC(nullptr);
    HBITMAP canvas = CreateCompatibleBitmap(big, 6, 4);
    HGDIOBJ oldCanvas = SelectObject(big, canvas);
    StretchBlt(big, 0, 0, 6, 4, dc, 0, 0, 3, 2, SRCCOPY);
    EXPECT_EQ(GetPixel(big, 5, 3), colorRef(0, 0, 0));
    EXPECT_EQ(GetPixel(big, 2, 1), colorRef(0, 255, 0));
    SelectObject(big, oldCanvas);
    DeleteObject(canvas);
    DeleteDC(big);
    SelectObject(dc, old);
    DeleteDC(dc);
    EXPECT_TRUE(DeleteObject(bitmap));
    HBITMAP byText = LoadBitmapA(nullptr, "#4711");
    EXPECT_NE(byText, nullptr);
    DeleteObject(byText);
}

TEST(BitmapResources, AnUnknownIdGivesNull) {
    EXPECT_EQ(LoadBitmapA(nullptr, MAKEINTRESOURCEA(4712)), nullptr);
    EXPECT_EQ(LoadBitmapA(nullptr, "no such bitmap"), nullptr);
    EXPECT_EQ(LoadBitmapA(nullptr, nullptr), nullptr);
}

TEST(BitmapResources, TheDecoderReadsTwentyFourBitTopDownRowsAndRefusesDamage) {
    // 2 x 2, 24 bits, top-down (negative height), rows padded to 8 bytes, no file header.
    std::vector<uint8_t> dib = {40, 0, 0, 0, 2, 0, 0, 0, 0xFE, 0xFF, 0xFF, 0xFF, 1, 0, 24, 0, 0, 0, 0, 0,
                                0,  0, 0, 0, 0, 0, 0, 0, 0,    0,    0,    0,    0, 0, 0,  0, 0, 0, 0, 0};
    const uint8_t rows[] = {1, 2, 3, 4, 5, 6, 0, 0, 7, 8, 9, 10, 11, 12, 0, 0};
    dib.insert(dib.end(), std::begin(rows), std::end(rows));
    auto surface = wd::gdi::decodeDib(dib.data(), dib.size());
    ASSERT_TRUE(surface.has_value());
    EXPECT_EQ(surface->at(0, 0), 0x030201u);
    EXPECT_EQ(surface->at(1, 0), 0x060504u);
    EXPECT_EQ(surface->at(1, 1), 0x0C0B0Au);
    EXPECT_FALSE(wd::gdi::decodeDib(dib.data(), dib.size() - 1).has_value());  // truncated
    EXPECT_FALSE(wd::gdi::decodeDib(kFourBit, 60).has_value());
    std::vector<uint8_t> compressed(dib);
    compressed[16] = 1;  // BI_RLE8
    EXPECT_FALSE(wd::gdi::decodeDib(compressed.data(), compressed.size()).has_value());
    std::vector<uint8_t> huge(dib);
    huge[4] = 0xFF;
    huge[5] = 0xFF;
    huge[6] = 0xFF;
    huge[7] = 0x7F;
    EXPECT_FALSE(wd::gdi::decodeDib(huge.data(), huge.size()).has_value());
    EXPECT_FALSE(wd::gdi::decodeDib(nullptr, 0).has_value());
}

}  // namespace
