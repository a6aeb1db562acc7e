// Pixel rules of lines, rectangles, fills, polygons, pixels and block transfers, probed
// at coordinates computed from the rules, and the counting of device contexts and
// objects.
#include <gtest/gtest.h>

#include <random>

#include "platform/gdi/raster.h"
#include "support/test_host.h"

namespace {

using namespace wdtest;

constexpr COLORREF kBlack = colorRef(0, 0, 0);
constexpr COLORREF kWhite = colorRef(255, 255, 255);
constexpr COLORREF kGreen = colorRef(0, 255, 90);

// A memory DC with a black width x height bitmap; cleans up after itself.
class Canvas {
public:
    Canvas(int width, int height) : dc_(CreateCompatibleDC(nullptr)), bitmap_(CreateCompatibleBitmap(dc_, width, height)) {
        old_ = SelectObject(dc_, bitmap_);
    }
    ~Canvas() {
        SelectObject(dc_, old_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    HDC dc() const { return dc_; }
    HBITMAP bitmap() const { return bitmap_; }
    COLORREF at(int x, int y) const { return GetPixel(dc_, x, y); }
    // Runs f with a pen selected.
    template <class F>
    void withPen(int width, COLORREF colour, F f) {
        HPEN pen = CreatePen(PS_SOLID, width, colour);
        HGDIOBJ old = SelectObject(dc_, pen);
        f();
        SelectObject(dc_, old);
        DeleteObject(pen);
    }

private:
    HDC dc_;
    HBITMAP bitmap_;
    HGDIOBJ old_;
};

TEST(Drawing, ANewBitmapIsBlackAndOutsidePixelsAreInvalid) {
    Canvas c(4, 3);
    EXPECT_EQ(c.at(0, 0), kBlack);
    EXPECT_EQ(c.at(3, 2), kBlack);
    EXPECT_EQ(c.at(4, 0), CLR_INVALID);
    EXPECT_EQ(c.at(-1, 0), CLR_INVALID);
    EXPECT_EQ(SetPixel(c.dc(), 3, 2, kGreen), kGreen);
    EXPECT_EQ(c.at(3, 2), kGreen);
    EXPECT_EQ(SetPixel(c.dc(), 3, 3, kGreen), CLR_INVALID);
}

TEST(Drawing, HorizontalAndVerticalLinesLeaveOutTheirEndPixel) {
    Canvas c(20, 20);
    c.withPen(1, kWhite, [&] {
        MoveToEx(c.dc(), 2, 5, nullptr);
        LineTo(c.dc(), 10, 5);   // x 2..9
        LineTo(c.dc(), 10, 15);  // y 5..14 at x 10
        LineTo(c.dc(), 4, 15);   // x 10 down to 5
    });
    for (int x = 0; x < 20; ++x) EXPECT_EQ(c.at(x, 5), (x >= 2 && x <= 10) ? kWhite : kBlack) << x;
    for (int y = 6; y < 20; ++y) EXPECT_EQ(c.at(10, y), y <= 15 ? kWhite : kBlack) << y;
    for (int x = 0; x < 20; ++x) EXPECT_EQ(c.at(x, 15), (x >= 5 && x <= 10) ? kWhite : kBlack) << x;
    POINT position{};
    MoveToEx(c.dc(), 0, 0, &position);
    EXPECT_EQ(position.x, 4);
    EXPECT_EQ(position.y, 15);
}

TEST(Drawing, SlopedLinesRoundTheMinorCoordinateToNearest) {
    Canvas c(20, 20);
    c.withPen(1, kWhite, [&] {
        MoveToEx(c.dc(), 0, 0, nullptr);
        LineTo(c.dc(), 8, 8);  // diagonal: (i, i) for i < 8
        MoveToEx(c.dc(), 0, 10, nullptr);
        LineTo(c.dc(), 10, 13);  // y = 10 + round(3 i / 10), halves up
    });
    for (int i = 0; i < 8; ++i) EXPECT_EQ(c.at(i, i), kWhite) << i;
    EXPECT_EQ(c.at(8, 8), kBlack);
    const int expectedRows[10] = {10, 10, 11, 11, 11, 12, 12, 12, 12, 13};  // floor((6 i + 10) / 20) + 10
    for (int x = 0; x < 10; ++x) {
        for (int y = 10; y < 14; ++y) EXPECT_EQ(c.at(x, y), y == expectedRows[x] ? kWhite : kBlack) << x << "," << y;
    }
}

TEST(Drawing, ATwoPixelPenCoversThePixelAndThoseLeftAndAbove) {
    Canvas c(12, 12);
    c.withPen(2, kWhite, [&] {
        MoveToEx(c.dc(), 3, 5, nullptr);
        LineTo(c.dc(), 8, 5);  // path x 3..7 at y 5; squares reach x - 1 and y - 1
    });
    for (int y = 0; y < 12; ++y) {
        for (int x = 0; x < 12; ++x) {
            const bool inside = x >= 2 && x <= 7 && (y == 4 || y == 5);
            EXPECT_EQ(c.at(x, y), inside ? kWhite : kBlack) << x << "," << y;
        }
    }
}

TEST(Drawing, FillRectExcludesTheRightAndBottomEdges) {
    Canvas c(10, 10);
    HBRUSH brush = CreateSolidBrush(kGreen);
    RECT r{2, 3, 6, 8};
    EXPECT_EQ(FillRect(c.dc(), &r, brush), 1);
    DeleteObject(brush);
    for (int y = 0; y < 10; ++y) {
        for (int x = 0; x < 10; ++x) EXPECT_EQ(c.at(x, y), (x >= 2 && x < 6 && y >= 3 && y < 8) ? kGreen : kBlack) << x << "," << y;
    }
}

TEST(Drawing, RectangleOutlinesWithThePenInsideAndFillsWithTheBrush) {
    Canvas c(12, 12);
    HBRUSH brush = CreateSolidBrush(kGreen);
    HGDIOBJ oldBrush = SelectObject(c.dc(), brush);
    c.withPen(1, kWhite, [&] { Rectangle(c.dc(), 1, 2, 9, 7); });
    for (int y = 0; y < 12; ++y) {
        for (int x = 0; x < 12; ++x) {
            COLORREF expected = kBlack;
            if (x >= 1 && x <= 8 && y >= 2 && y <= 6) expected = (x == 1 || x == 8 || y == 2 || y == 6) ? kWhite : kGreen;
            EXPECT_EQ(c.at(x, y), expected) << x << "," << y;
        }
    }
    // Without an outline the fill is one pixel smaller each way.
    SelectObject(c.dc(), GetStockObject(NULL_PEN));
    Rectangle(c.dc(), 0, 9, 4, 12);
    EXPECT_EQ(c.at(0, 9), kGreen);
    EXPECT_EQ(c.at(2, 10), kGreen);
    EXPECT_EQ(c.at(3, 10), kBlack);
    EXPECT_EQ(c.at(2, 11), kBlack);
    SelectObject(c.dc(), oldBrush);
    DeleteObject(brush);
}

TEST(Drawing, APolygonFillsPixelCentresInsideAndOutlinesItsEdges) {
    // The ruler's marker triangle: (x, h - 29), (x - 3, h), (x + 3, h) with h = 40, x = 10.
    Canvas c(20, 40);
    HBRUSH grey = CreateSolidBrush(colorRef(179, 179, 179));
    HGDIOBJ oldBrush = SelectObject(c.dc(), grey);
    c.withPen(1, colorRef(179, 179, 179), [&] {
        const POINT corners[3] = {{10, 11}, {7, 40}, {13, 40}};
        EXPECT_TRUE(Polygon(c.dc(), corners, 3));
    });
    SelectObject(c.dc(), oldBrush);
    DeleteObject(grey);
    const COLORREF marker = colorRef(179, 179, 179);
    EXPECT_EQ(c.at(10, 11), marker);  // apex (outline)
    EXPECT_EQ(c.at(10, 30), marker);  // inside
    EXPECT_EQ(c.at(8, 39), marker);   // near the base, inside
    EXPECT_EQ(c.at(6, 39), kBlack);   // outside the base corner
    EXPECT_EQ(c.at(12, 15), kBlack);  // right of the narrow top
    EXPECT_EQ(c.at(10, 10), kBlack);
}

TEST(Drawing, BitBltCopiesAndStretchBltPicksNearestPixels) {
    Canvas source(4, 2);
    // Source: column x has red 10 * (x + 1), row y has green 100 * y.
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 4; ++x) SetPixel(source.dc(), x, y, colorRef(10 * (x + 1), 100 * y, 0));
    }
    Canvas copy(6, 4);
    EXPECT_TRUE(BitBlt(copy.dc(), 1, 1, 4, 2, source.dc(), 0, 0, SRCCOPY));
    EXPECT_EQ(copy.at(1, 1), colorRef(10, 0, 0));
    EXPECT_EQ(copy.at(4, 2), colorRef(40, 100, 0));
    EXPECT_EQ(copy.at(0, 0), kBlack);
    EXPECT_EQ(copy.at(5, 2), kBlack);

    // Up: 4 x 2 to 10 x 5. Column i takes (2i + 1) * 4 / 20, row j takes (2j + 1) * 2 / 10.
    Canvas up(10, 5);
    EXPECT_TRUE(StretchBlt(up.dc(), 0, 0, 10, 5, source.dc(), 0, 0, 4, 2, SRCCOPY));
    for (int j = 0; j < 5; ++j) {
        for (int i = 0; i < 10; ++i) {
            const int sx = (2 * i + 1) * 4 / 20, sy = (2 * j + 1) * 2 / 10;
            EXPECT_EQ(up.at(i, j), colorRef(10 * (sx + 1), 100 * sy, 0)) << i << "," << j;
        }
    }
    // Down: the 565 x 330 canvas onto a 300 x 200 client, as the track window does.
    Canvas canvas(565, 330);
    for (int x = 0; x < 565; ++x) {
        SetPixel(canvas.dc(), x, 0, colorRef(x & 0xFF, x >> 8, 1));
    }
    Canvas client(300, 200);
    EXPECT_TRUE(StretchBlt(client.dc(), 0, 0, 300, 200, canvas.dc(), 0, 0, 565, 330, SRCCOPY));
    for (int i = 0; i < 300; i += 37) {
        const int sx = (2 * i + 1) * 565 / 600;
        EXPECT_EQ(client.at(i, 0), colorRef(sx & 0xFF, sx >> 8, 1)) << i;
    }
    EXPECT_FALSE(StretchBlt(client.dc(), 0, 0, 10, 10, canvas.dc(), 0, 0, 10, 10, PATCOPY));
}

TEST(Drawing, ObjectsAreCountedAndASelectedObjectCannotBeDeleted) {
    const DWORD start = GetGuiResources(nullptr, GR_GDIOBJECTS);
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, 8, 8);
    HPEN pen = CreatePen(PS_SOLID, 2, kWhite);
    HBRUSH brush = CreateSolidBrush(kGreen);
    HFONT font = CreateFontA(10, 5, 0, 0, 700, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "Arial");
    EXPECT_EQ(GetGuiResources(nullptr, GR_GDIOBJECTS), start + 5);
    HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
    HGDIOBJ oldPen = SelectObject(dc, pen);
    EXPECT_NE(oldBitmap, nullptr);
    EXPECT_FALSE(DeleteObject(pen));     // still selected
    EXPECT_FALSE(DeleteObject(bitmap));
    HDC other = CreateCompatibleDC(nullptr);
    EXPECT_EQ(SelectObject(other, bitmap), nullptr);  // a bitmap lives in one DC
    DeleteDC(other);
    EXPECT_EQ(SelectObject(dc, oldPen), pen);
    EXPECT_TRUE(DeleteObject(pen));
    EXPECT_FALSE(DeleteObject(pen));  // already gone
    EXPECT_TRUE(DeleteDC(dc));         // drops its selections
    EXPECT_TRUE(DeleteObject(bitmap));
    EXPECT_TRUE(DeleteObject(brush));
    EXPECT_TRUE(DeleteObject(font));
    EXPECT_TRUE(DeleteObject(GetStockObject(BLACK_BRUSH)));  // harmless, not counted
    EXPECT_EQ(GetGuiResources(nullptr, GR_GDIOBJECTS), start);
    BITMAP info{};
    EXPECT_EQ(GetObjectA(bitmap, sizeof info, &info), 0);  // deleted
}

TEST(Drawing, BadHandlesFailQuietly) {
    const HDC bogus = reinterpret_cast<HDC>(static_cast<uintptr_t>(0x1234));
    RECT r{0, 0, 1, 1};
    EXPECT_EQ(FillRect(bogus, &r, GetStockObject(WHITE_BRUSH)), 0);
    EXPECT_FALSE(LineTo(bogus, 1, 1));
    EXPECT_EQ(GetPixel(bogus, 0, 0), CLR_INVALID);
    EXPECT_EQ(SelectObject(bogus, GetStockObject(WHITE_PEN)), nullptr);
    EXPECT_FALSE(DeleteDC(bogus));
    EXPECT_FALSE(BitBlt(bogus, 0, 0, 1, 1, bogus, 0, 0, SRCCOPY));
    EXPECT_EQ(CreateCompatibleBitmap(nullptr, 0, 5), nullptr);
    EXPECT_EQ(CreatePen(3, 1, 0), nullptr);  // styles other than solid and null are not drawn
}

// The rasteriser walks only the part of a line that can reach the surface; the pixels are
// those of walking every step of the whole line, as this plain loop does.
TEST(Lines, ALineReachingFarOutsideSetsThePixelsOfItsWholeWalk) {
    std::mt19937 random(99);
    std::uniform_int_distribution<int> far(-3000, 3000);
    for (int trial = 0; trial < 400; ++trial) {
        const int x0 = far(random), y0 = far(random), x1 = far(random), y1 = far(random), width = 1 + trial % 3;
        wd::gdi::Surface fast(64, 48), walked(64, 48);
        const wd::gdi::PixelRect clip{4, 3, 60, 44};
        wd::gdi::raster::line(fast, clip, x0, y0, x1, y1, width, 0xFFFFFF);
        const long long dx = x1 - x0, dy = y1 - y0, steps = std::max(std::llabs(dx), std::llabs(dy));
        for (long long i = 0; i < steps; ++i) {
            // floor((2a + n) / 2n): the nearest pixel, halves upward.
            auto nearest = [&](long long a) {
                const long long num = 2 * a + steps, den = 2 * steps;
                return num / den - ((num % den != 0 && num < 0) ? 1 : 0);
            };
            const long long x = std::llabs(dx) >= std::llabs(dy) ? x0 + (dx > 0 ? i : -i) : x0 + nearest(i * dx);
            const long long y = std::llabs(dx) >= std::llabs(dy) ? y0 + nearest(i * dy) : y0 + (dy > 0 ? i : -i);
            for (long long py = y - width / 2; py < y - width / 2 + (width > 1 ? width : 1); ++py) {
                for (long long px = x - width / 2; px < x - width / 2 + (width > 1 ? width : 1); ++px) {
                    const long long qx = width > 1 ? px : x, qy = width > 1 ? py : y;
                    if (qx >= clip.left && qx < clip.right && qy >= clip.top && qy < clip.bottom) {
                        walked.set(static_cast<int>(qx), static_cast<int>(qy), 0xFFFFFF);
                    }
                }
            }
        }
        for (int y = 0; y < 48; ++y) {
            for (int x = 0; x < 64; ++x) {
                ASSERT_EQ(fast.at(x, y), walked.at(x, y)) << "line " << x0 << "," << y0 << " to " << x1 << "," << y1
                                                          << " width " << width << " at " << x << "," << y;
            }
        }
    }
}

}  // namespace
