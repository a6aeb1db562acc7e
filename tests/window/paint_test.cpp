// Update regions, WM_PAINT and WM_ERASEBKGND, sizes, visibility, and what painting
// leaves behind.
#include <gtest/gtest.h>

#include "support/test_host.h"

namespace {

using namespace wdtest;

// A paint handler that records the painted rectangle and fills it with a colour.
struct Painter {
    std::vector<RECT> painted;
    COLORREF colour = colorRef(10, 20, 30);
    Handler handler() {
        return [this](HWND w, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
            if (message != WM_PAINT) return std::nullopt;
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(w, &ps);
            painted.push_back(ps.rcPaint);
            HBRUSH brush = CreateSolidBrush(colour);
            FillRect(dc, &ps.rcPaint, brush);
            DeleteObject(brush);
            EndPaint(w, &ps);
            return 0;
        };
    }
};

TEST(Paint, InvalidationsAreCoalescedIntoOnePaintOfTheirUnion) {
    TestHost host;
    Painter painter;
    HWND window = host.addChild(host.frame(), 10, 10, 200, 100, 0, painter.handler());
    host.pump();
    painter.painted.clear();
    painter.colour = colorRef(40, 50, 60);
    host.clearLog();
    for (int i = 0; i < 10; ++i) {
        RECT r{10 + i * 5, 20, 20 + i * 5, 30 + i};
        InvalidateRect(window, &r, FALSE);
    }
    host.pump();
    ASSERT_EQ(painter.painted.size(), 1u);
    EXPECT_EQ(painter.painted[0].left, 10);
    EXPECT_EQ(painter.painted[0].top, 20);
    EXPECT_EQ(painter.painted[0].right, 65);
    EXPECT_EQ(painter.painted[0].bottom, 39);
    EXPECT_EQ(host.count(window, WM_ERASEBKGND), 0u);
    // Only the invalid part was painted: inside and outside the union.
    Image image = host.capture(window);
    EXPECT_EQ(image.at(10, 20), rgbPixel(40, 50, 60));
    EXPECT_EQ(image.at(64, 38), rgbPixel(40, 50, 60));
    EXPECT_EQ(image.at(65, 38), rgbPixel(10, 20, 30));  // outside: as the first paint left it
    EXPECT_EQ(image.at(10, 19), rgbPixel(10, 20, 30));
}

TEST(Paint, InvalidatingFromAWorkerWakesTheOwnerToPaint) {
    TestHost host;
    Painter painter;
    HWND window = host.addChild(host.frame(), 0, 0, 50, 50, 0, painter.handler());
    host.pump();
    painter.painted.clear();
    std::thread([window] { InvalidateRect(window, nullptr, TRUE); }).join();
    MSG msg{};
    ASSERT_TRUE(GetMessageA(&msg, nullptr, 0, 0));  // returns at once: the paint is due
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_PAINT));
    DispatchMessageA(&msg);
    ASSERT_EQ(painter.painted.size(), 1u);
    EXPECT_EQ(painter.painted[0].right, 50);
}

TEST(Paint, EraseIsSentBeforeThePaintOnlyWhenAskedFor) {
    TestHost host;
    Painter painter;
    HWND window = host.addChild(host.frame(), 0, 0, 50, 50, 0, painter.handler());
    host.pump();
    host.clearLog();
    InvalidateRect(window, nullptr, TRUE);
    host.pump();
    auto log = host.messages(window);
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].message, static_cast<UINT>(WM_PAINT));
    EXPECT_EQ(log[1].message, static_cast<UINT>(WM_ERASEBKGND));  // sent from inside BeginPaint
    host.clearLog();
    InvalidateRect(window, nullptr, FALSE);
    host.pump();
    EXPECT_EQ(host.count(window, WM_ERASEBKGND), 0u);
    EXPECT_EQ(host.count(window, WM_PAINT), 1u);
}

TEST(Paint, UpdateWindowPaintsAtOnceAndHiddenWindowsWait) {
    TestHost host;
    Painter painter;
    HWND window = host.addWindow(host.frame(), WS_CHILD, 0, 0, 40, 40, painter.handler());
    InvalidateRect(window, nullptr, TRUE);
    host.pump();
    EXPECT_TRUE(painter.painted.empty());  // hidden: no paint
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);                  // no pump: painted during the call
    ASSERT_EQ(painter.painted.size(), 1u);
    host.pump();
    EXPECT_EQ(painter.painted.size(), 1u);  // validated: nothing more
    EXPECT_EQ(host.count(window, WM_SHOWWINDOW), 1u);
}

TEST(Paint, MoveWindowSendsTheClientSizeAndAScrollBarTakesItsRow) {
    TestHost host;
    HWND window = host.addChild(host.frame(), 0, 0, 300, 200, WS_HSCROLL);
    RECT client{};
    GetClientRect(window, &client);
    EXPECT_EQ(client.right, 300);
    EXPECT_EQ(client.bottom, 200 - WD_SCROLLBAR_SIZE);
    host.clearLog();
    ASSERT_TRUE(MoveWindow(window, 5, 6, 565, 347, TRUE));
    auto sizes = host.messages(window, WM_SIZE);
    ASSERT_EQ(sizes.size(), 1u);
    EXPECT_EQ(lowWord(static_cast<uintptr_t>(sizes[0].lParam)), 565u);
    EXPECT_EQ(highWord(static_cast<uintptr_t>(sizes[0].lParam)), 330u);
    auto moves = host.messages(window, WM_MOVE);
    ASSERT_EQ(moves.size(), 1u);
    EXPECT_EQ(lowWord(static_cast<uintptr_t>(moves[0].lParam)), 5u);
    EXPECT_EQ(highWord(static_cast<uintptr_t>(moves[0].lParam)), 6u);
    RECT screen{};
    GetWindowRect(window, &screen);
    EXPECT_EQ(screen.left, 5);
    EXPECT_EQ(screen.bottom, 6 + 347);
}

TEST(Paint, EnableWindowReportsThePreviousStateAndSendsWmEnable) {
    TestHost host;
    HWND window = host.addChild(host.frame(), 0, 0, 10, 10);
    EXPECT_FALSE(EnableWindow(window, FALSE));  // was enabled
    EXPECT_FALSE(IsWindowEnabled(window));
    EXPECT_TRUE(EnableWindow(window, FALSE));   // was disabled; no change, no message
    EXPECT_TRUE(EnableWindow(window, TRUE));
    auto enables = host.messages(window, WM_ENABLE);
    ASSERT_EQ(enables.size(), 2u);
    EXPECT_EQ(enables[0].wParam, 0u);
    EXPECT_EQ(enables[1].wParam, 1u);
}

TEST(Paint, EveryPaintReleasesWhatItMade) {
    TestHost host;
    HWND window = host.addChild(host.frame(), 0, 0, 120, 80, 0, [](HWND w, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (message != WM_PAINT) return std::nullopt;
        // The off-screen pattern every window of the library uses.
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(w, &ps);
        HDC memory = CreateCompatibleDC(dc);
        HBITMAP bitmap = CreateCompatibleBitmap(dc, 120, 80);
        HGDIOBJ oldBitmap = SelectObject(memory, bitmap);
        HPEN pen = CreatePen(PS_SOLID, 1, colorRef(255, 255, 255));
        HGDIOBJ oldPen = SelectObject(memory, pen);
        HFONT font = CreateFontA(30, 15, 0, 0, 700, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "Arial");
        HGDIOBJ oldFont = SelectObject(memory, font);
        MoveToEx(memory, 0, 40, nullptr);
        LineTo(memory, 120, 40);
        TextOutA(memory, 2, 2, "00:00.000", 9);
        BitBlt(dc, 0, 0, 120, 80, memory, 0, 0, SRCCOPY);
        SelectObject(memory, oldFont);
        SelectObject(memory, oldPen);
        SelectObject(memory, oldBitmap);
        DeleteObject(font);
        DeleteObject(pen);
        DeleteObject(bitmap);
        DeleteDC(memory);
        EndPaint(w, &ps);
        return 0;
    });
    host.pump();
    const DWORD before = GetGuiResources(nullptr, GR_GDIOBJECTS);
    for (int i = 0; i < 20; ++i) {
        InvalidateRect(window, nullptr, FALSE);
        host.pump();
    }
    EXPECT_EQ(host.count(window, WM_PAINT), 21u);
    EXPECT_EQ(GetGuiResources(nullptr, GR_GDIOBJECTS), before);
    EXPECT_EQ(host.capture(window).at(60, 40), rgbPixel(255, 255, 255));
}

TEST(Paint, GetDcDrawsOutsideWmPaintIntoTheClientArea) {
    TestHost host;
    HWND window = host.addChild(host.frame(), 30, 40, 100, 60, WS_BORDER);
    host.pump();
    HDC dc = GetDC(window);
    ASSERT_NE(dc, nullptr);
    EXPECT_EQ(SetPixel(dc, 0, 0, colorRef(1, 2, 3)), colorRef(1, 2, 3));
    EXPECT_EQ(SetPixel(dc, 97, 57, colorRef(4, 5, 6)), colorRef(4, 5, 6));  // client is 98 x 58
    EXPECT_EQ(SetPixel(dc, 98, 0, colorRef(1, 1, 1)), CLR_INVALID);         // outside: the border
    EXPECT_EQ(ReleaseDC(window, dc), 1);
    EXPECT_EQ(ReleaseDC(window, dc), 0);
    Image frame = host.capture(host.frame());
    EXPECT_EQ(frame.at(31, 41), rgbPixel(1, 2, 3));   // client (0, 0) lies inside the border
    EXPECT_EQ(frame.at(128, 98), rgbPixel(4, 5, 6));
    EXPECT_EQ(frame.at(30, 40), rgbPixel(0x64, 0x64, 0x64));
}

}  // namespace
