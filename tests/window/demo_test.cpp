// The demonstration of the window layers together: a parent with two children that
// draw through off-screen bitmaps, a click injected into one of them, and a PNG of the
// whole written to <build>/test-output/window_demo.png.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/test_host.h"

namespace {

using namespace wdtest;

// Paints the child through a memory bitmap: a black field with a white frame and a
// line, the text centred in Arial 30/15/700, and a red square where it was clicked.
struct DemoChild {
    COLORREF field;
    const char* text;
    POINT clicked{-1, -1};

    Handler handler() {
        return [this](HWND w, UINT message, WPARAM, LPARAM lParam) -> std::optional<LRESULT> {
            switch (message) {
                case WM_ERASEBKGND: return 1;
                case WM_LBUTTONDOWN:
                    clicked = POINT{pointX(lParam), pointY(lParam)};
                    InvalidateRect(w, nullptr, TRUE);
                    return 0;
                case WM_PAINT: paint(w); return 0;
                default: return std::nullopt;
            }
        };
    }

    void paint(HWND w) {
        RECT client;
        GetClientRect(w, &client);
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(w, &ps);
        HDC memory = CreateCompatibleDC(dc);
        HBITMAP bitmap = CreateCompatibleBitmap(dc, client.right, client.bottom);
        HGDIOBJ oldBitmap = SelectObject(memory, bitmap);
        HBRUSH fieldBrush = CreateSolidBrush(field);
        FillRect(memory, &client, fieldBrush);
        HPEN white = CreatePen(PS_SOLID, 1, colorRef(255, 255, 255));
        HGDIOBJ oldPen = SelectObject(memory, white);
        HGDIOBJ oldBrush = SelectObject(memory, GetStockObject(NULL_BRUSH));
        Rectangle(memory, 0, 0, client.right, client.bottom);
        MoveToEx(memory, 0, client.bottom / 2, nullptr);
        LineTo(memory, client.right, client.bottom / 2);
        HFONT font = CreateFontA(30, 15, 0, 0, 700, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "Arial");
        HGDIOBJ oldFont = SelectObject(memory, font);
        SetBkMode(memory, TRANSPARENT);
        SetTextColor(memory, colorRef(255, 255, 255));
        DrawTextA(memory, text, -1, &client, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        if (clicked.x >= 0) {
            HBRUSH red = CreateSolidBrush(colorRef(255, 0, 30));
            RECT mark{clicked.x - 5, clicked.y - 5, clicked.x + 5, clicked.y + 5};
            FillRect(memory, &mark, red);
            DeleteObject(red);
        }
        BitBlt(dc, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
        SelectObject(memory, oldFont);
        SelectObject(memory, oldBrush);
        SelectObject(memory, oldPen);
        SelectObject(memory, oldBitmap);
        DeleteObject(font);
        DeleteObject(white);
        DeleteObject(fieldBrush);
        DeleteObject(bitmap);
        DeleteDC(memory);
        EndPaint(w, &ps);
    }
};

TEST(Demo, AParentWithTwoChildrenDrawsTakesAClickAndIsWrittenAsPng) {
    TestHost host(420, 200);
    HWND parent = host.addChild(host.frame(), 10, 10, 400, 180, 0, [](HWND w, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (message != WM_PAINT) return std::nullopt;
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(w, &ps);
        HBRUSH grey = CreateSolidBrush(colorRef(179, 179, 179));
        FillRect(dc, &ps.rcPaint, grey);
        DeleteObject(grey);
        EndPaint(w, &ps);
        return 0;
    });
    DemoChild left{colorRef(0, 0, 0), "00:01.000"};
    DemoChild right{colorRef(0, 60, 120), "WaveDeck"};
    HWND leftWindow = host.addChild(parent, 10, 10, 185, 160, 0, left.handler());
    HWND rightWindow = host.addChild(parent, 205, 10, 185, 160, 0, right.handler());
    const std::optional<DWORD> objectsBefore = wdtest::gdiObjects();
    if (!objectsBefore) GTEST_SKIP() << "this system does not count GDI objects";

    host.click(rightWindow, 150, 30);
    ASSERT_EQ(right.clicked.x, 150);
    ASSERT_EQ(right.clicked.y, 30);
    const std::string path = host.capturePicture(host.frame(), "window_demo");
    ASSERT_FALSE(path.empty());
    EXPECT_GT(std::filesystem::file_size(path), 500u);

    Image image = host.capture(host.frame());
    // Frame (0,0) -> parent at (10,10) -> children at (20,20) and (215,20) in frame pixels.
    EXPECT_EQ(image.at(15, 15), rgbPixel(179, 179, 179));           // parent
    EXPECT_EQ(image.at(210, 100), rgbPixel(179, 179, 179));         // between the children
    EXPECT_EQ(image.at(20, 20), rgbPixel(255, 255, 255));           // left child's frame corner
    EXPECT_EQ(image.at(25, 30), rgbPixel(0, 0, 0));                 // left field
    EXPECT_EQ(image.at(215 + 30, 30), rgbPixel(0, 60, 120));        // right field
    EXPECT_EQ(image.at(215 + 150, 20 + 30), rgbPixel(255, 0, 30));  // the click mark
    EXPECT_EQ(image.at(215 + 144, 20 + 24), rgbPixel(0, 60, 120));  // just outside it
    EXPECT_EQ(image.at(215 + 150, 20 + 80), rgbPixel(255, 255, 255));  // middle line
    EXPECT_EQ(host.count(leftWindow, WM_LBUTTONDOWN), 0u);
    EXPECT_EQ(wdtest::gdiObjects(), objectsBefore);
}

}  // namespace
