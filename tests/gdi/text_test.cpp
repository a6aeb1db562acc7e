// Text: "Arial" through fontconfig, sizes by the cell-height and average-width rules,
// widths as FreeType gives them, and centred placement.
#include <gtest/gtest.h>

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include <cmath>
#include <string>

#include "platform/gdi/font_engine.h"
#include "support/test_host.h"

namespace {

using namespace wdtest;

// The width FreeType gives a text at a Windows-style size: em heights from the OS/2
// win ascent and descent (cell height) and xAvgCharWidth (average width), hinted.
struct Reference {
    int width = 0;
    int ascent = 0;
    int descent = 0;
};

Reference freeTypeReference(const std::string& file, int index, int cellHeight, int averageWidth, const std::string& text) {
    Reference ref;
    FT_Library library = nullptr;
    FT_Init_FreeType(&library);
    FT_Face face = nullptr;
    if (FT_New_Face(library, file.c_str(), index, &face) != 0) return ref;
    auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    const double em = face->units_per_EM;
    const double emY = cellHeight * em / (os2->usWinAscent + os2->usWinDescent);
    const double emX = averageWidth * em / os2->xAvgCharWidth;
    FT_Set_Char_Size(face, std::lround(emX * 64), std::lround(emY * 64), 72, 72);
    for (char c : text) {
        FT_Load_Glyph(face, FT_Get_Char_Index(face, static_cast<unsigned char>(c)), FT_LOAD_DEFAULT);
        ref.width += static_cast<int>((face->glyph->advance.x + 32) >> 6);
    }
    ref.ascent = static_cast<int>(std::lround(os2->usWinAscent * emY / em));
    ref.descent = static_cast<int>(std::lround(os2->usWinDescent * emY / em));
    FT_Done_Face(face);
    FT_Done_FreeType(library);
    return ref;
}

TEST(Text, ArialResolvesToLiberationSansAndBoldToItsBoldFace) {
    std::string file;
    int index = -1;
    ASSERT_TRUE(wd::gdi::FontEngine::instance().resolve({"Arial", 30, 15, 700, false}, &file, &index));
    EXPECT_NE(file.find("LiberationSans-Bold"), std::string::npos) << file;
    ASSERT_TRUE(wd::gdi::FontEngine::instance().resolve({"Arial", 30, 15, 400, false}, &file, &index));
    EXPECT_NE(file.find("LiberationSans-Regular"), std::string::npos) << file;
}

TEST(Text, TheTimeTextMeasuresWhatFreeTypeSaysAndLandsCentred) {
    const std::string text = "00:01.000";
    std::string file;
    int index = 0;
    ASSERT_TRUE(wd::gdi::FontEngine::instance().resolve({"Arial", 30, 15, 700, false}, &file, &index));
    const Reference ref = freeTypeReference(file, index, 30, 15, text);
    ASSERT_GT(ref.width, 0);
    EXPECT_EQ(ref.ascent + ref.descent, 30);

    HDC dc = CreateCompatibleDC(nullptr);
    const int w = 200, h = 60;
    HBITMAP bitmap = CreateCompatibleBitmap(dc, w, h);
    HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
    HFONT font = CreateFontA(30, 15, 0, 0, 700, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "Arial");
    HGDIOBJ oldFont = SelectObject(dc, font);
    SIZE size{};
    ASSERT_TRUE(GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size));
    EXPECT_EQ(size.cx, ref.width);
    EXPECT_EQ(size.cy, 30);

    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, colorRef(255, 255, 255));
    RECT r{0, 0, w, h};
    EXPECT_EQ(DrawTextA(dc, text.c_str(), -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE), 30);
    // The ink lies inside the cell placed at ((w - cx) / 2, (h - cy) / 2) and fills
    // most of it, so its left and right margins match within the glyphs' side bearings.
    const int cellLeft = (w - size.cx) / 2, cellTop = (h - size.cy) / 2;
    int inkLeft = w, inkRight = -1, inkTop = h, inkBottom = -1;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            if (GetPixel(dc, x, y) != colorRef(0, 0, 0)) {
                inkLeft = std::min(inkLeft, x);
                inkRight = std::max(inkRight, x);
                inkTop = std::min(inkTop, y);
                inkBottom = std::max(inkBottom, y);
            }
        }
    }
    EXPECT_GE(inkLeft, cellLeft);
    EXPECT_LE(inkRight, cellLeft + size.cx);
    EXPECT_GE(inkTop, cellTop);
    EXPECT_LE(inkBottom, cellTop + ref.ascent);  // digits sit on the baseline
    EXPECT_NEAR(inkLeft - 0, (w - 1) - inkRight, 4);  // centred horizontally
    EXPECT_GT(inkRight - inkLeft, size.cx - 8);
    // Digits reach from about the cap height to the baseline at row cellTop + ascent.
    EXPECT_NEAR(inkBottom, cellTop + ref.ascent - 1, 1);

    SelectObject(dc, oldFont);
    SelectObject(dc, oldBitmap);
    DeleteObject(font);
    DeleteObject(bitmap);
    DeleteDC(dc);
}

TEST(Text, OpaqueTextFillsItsCellAndTransparentTextDoesNot) {
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, 100, 50);
    HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
    HFONT font = CreateFontA(20, 8, 0, 0, 700, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "Arial");
    HGDIOBJ oldFont = SelectObject(dc, font);
    SIZE size{};
    GetTextExtentPoint32A(dc, "-1.0", 4, &size);
    SetBkColor(dc, colorRef(179, 179, 179));
    TextOutA(dc, 5, 3, "-1.0", 4);  // opaque by default
    EXPECT_EQ(GetPixel(dc, 5, 3), colorRef(179, 179, 179));
    EXPECT_EQ(GetPixel(dc, 5 + size.cx - 1, 3 + size.cy - 1), colorRef(179, 179, 179));
    EXPECT_EQ(GetPixel(dc, 5 + size.cx, 3), colorRef(0, 0, 0));
    EXPECT_EQ(GetPixel(dc, 4, 3), colorRef(0, 0, 0));
    SetBkMode(dc, TRANSPARENT);
    TextOutA(dc, 5, 3 + size.cy + 1, "-1.0", 4);
    EXPECT_EQ(GetPixel(dc, 5, 3 + size.cy + 1), colorRef(0, 0, 0));
    RECT calc{10, 10, 10, 10};
    DrawTextA(dc, "ab\ncd", -1, &calc, DT_CALCRECT);
    EXPECT_EQ(calc.bottom - calc.top, 2 * size.cy);
    SelectObject(dc, oldFont);
    SelectObject(dc, oldBitmap);
    DeleteObject(font);
    DeleteObject(bitmap);
    DeleteDC(dc);
}

TEST(Text, TheDefaultFontOfADeviceContextMeasuresText) {
    HDC dc = CreateCompatibleDC(nullptr);
    SIZE one{}, two{};
    ASSERT_TRUE(GetTextExtentPoint32A(dc, "Track 1", 7, &one));
    ASSERT_TRUE(GetTextExtentPoint32A(dc, "Track 1Track 1", 14, &two));
    EXPECT_GT(one.cx, 20);
    EXPECT_EQ(two.cx, 2 * one.cx);
    EXPECT_EQ(one.cy, 16);
    DeleteDC(dc);
}

}  // namespace
