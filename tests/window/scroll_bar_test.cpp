// The horizontal scroll bar: its state, its effect on the client area, and clicks.
#include <gtest/gtest.h>

#include "support/test_host.h"

namespace {

using namespace wdtest;

SCROLLINFO infoOf(HWND window) {
    SCROLLINFO info{sizeof(SCROLLINFO), SIF_ALL, 0, 0, 0, 0, 0};
    GetScrollInfo(window, SB_HORZ, &info);
    return info;
}

int clientHeight(HWND window) {
    RECT r{};
    GetClientRect(window, &r);
    return r.bottom;
}

TEST(ScrollBar, AWindowWithWsHscrollStartsWithAShownBarOfRange0To100) {
    TestHost host;
    HWND window = host.addChild(host.frame(), 0, 0, 200, 100, WS_HSCROLL);
    SCROLLINFO info = infoOf(window);
    EXPECT_EQ(info.nMin, 0);
    EXPECT_EQ(info.nMax, 100);
    EXPECT_EQ(info.nPage, 0u);
    EXPECT_EQ(info.nPos, 0);
    EXPECT_EQ(clientHeight(window), 100 - WD_SCROLLBAR_SIZE);
    HWND plain = host.addChild(host.frame(), 0, 0, 200, 100);
    EXPECT_FALSE(GetScrollInfo(plain, SB_HORZ, &info));
}

TEST(ScrollBar, RangePageAndPositionAreKeptAndThePositionLimited) {
    TestHost host;
    HWND window = host.addChild(host.frame(), 0, 0, 600, 100, WS_HSCROLL);
    SCROLLINFO set{sizeof set, SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL, 0, 2000, 565, 100, 0};
    EXPECT_EQ(SetScrollInfo(window, SB_HORZ, &set, TRUE), 100);
    SCROLLINFO info = infoOf(window);
    EXPECT_EQ(info.nMax, 2000);
    EXPECT_EQ(info.nPage, 565u);
    EXPECT_EQ(info.nPos, 100);
    // The last position shows the last page: max - page + 1.
    EXPECT_EQ(SetScrollPos(window, SB_HORZ, 5000, TRUE), 100);
    EXPECT_EQ(GetScrollPos(window, SB_HORZ), 2000 - 565 + 1);
    EXPECT_EQ(SetScrollPos(window, SB_HORZ, -3, TRUE), 1436);
    EXPECT_EQ(GetScrollPos(window, SB_HORZ), 0);
}

TEST(ScrollBar, NothingToScrollHidesTheBarUnlessItMustStayVisible) {
    TestHost host;
    HWND window = host.addChild(host.frame(), 0, 0, 600, 100, WS_HSCROLL);
    host.clearLog();
    SCROLLINFO fits{sizeof fits, SIF_RANGE | SIF_PAGE, 0, 300, 565, 0, 0};
    SetScrollInfo(window, SB_HORZ, &fits, TRUE);
    EXPECT_EQ(clientHeight(window), 100);  // the bar gave its row back
    auto sizes = host.messages(window, WM_SIZE);
    ASSERT_EQ(sizes.size(), 1u);
    EXPECT_EQ(highWord(static_cast<uintptr_t>(sizes[0].lParam)), 100u);
    EXPECT_FALSE(GetWindowLongPtrA(window, GWL_STYLE) & WS_HSCROLL);

    fits.fMask |= SIF_DISABLENOSCROLL;
    SetScrollInfo(window, SB_HORZ, &fits, TRUE);
    EXPECT_EQ(clientHeight(window), 100 - WD_SCROLLBAR_SIZE);
    // Both arrows are disabled: a click on either does nothing.
    host.pump();
    host.clearLog();
    host.click(window, 5, 100 - WD_SCROLLBAR_SIZE + 5);
    host.click(window, 595, 100 - WD_SCROLLBAR_SIZE + 5);
    EXPECT_EQ(host.count(window, WM_HSCROLL), 0u);
    // A range that scrolls again enables the bar.
    SCROLLINFO scrolls{sizeof scrolls, SIF_RANGE | SIF_PAGE | SIF_DISABLENOSCROLL, 0, 2000, 565, 0, 0};
    SetScrollInfo(window, SB_HORZ, &scrolls, TRUE);
    host.click(window, 595, 100 - WD_SCROLLBAR_SIZE + 5);
    EXPECT_EQ(host.count(window, WM_HSCROLL), 2u);
}

TEST(ScrollBar, ClicksOnArrowsAndTrackSendTheirCodesThenEndScroll) {
    TestHost host;
    HWND window = host.addChild(host.frame(), 0, 0, 400, 100, WS_HSCROLL);
    SCROLLINFO set{sizeof set, SIF_RANGE | SIF_PAGE | SIF_POS, 0, 1000, 100, 500, 0};
    SetScrollInfo(window, SB_HORZ, &set, TRUE);
    host.pump();
    const int y = 100 - WD_SCROLLBAR_SIZE + 8;  // client coordinates: the bar lies below the client area
    struct Case {
        int x;
        WORD code;
    };
    for (Case c : {Case{3, SB_LINELEFT}, Case{396, SB_LINERIGHT}, Case{30, SB_PAGELEFT}, Case{370, SB_PAGERIGHT}}) {
        host.clearLog();
        host.click(window, c.x, y);
        auto scrolls = host.messages(window, WM_HSCROLL);
        ASSERT_EQ(scrolls.size(), 2u) << c.x;
        EXPECT_EQ(lowWord(static_cast<uintptr_t>(scrolls[0].wParam)), static_cast<unsigned>(c.code)) << c.x;
        EXPECT_EQ(lowWord(static_cast<uintptr_t>(scrolls[1].wParam)), static_cast<unsigned>(SB_ENDSCROLL));
        EXPECT_EQ(host.count(window, WM_LBUTTONDOWN), 0u);
    }
}

TEST(ScrollBar, EnableScrollBarDisablesArrowsOneByOne) {
    TestHost host;
    HWND window = host.addChild(host.frame(), 0, 0, 400, 100, WS_HSCROLL);
    SCROLLINFO set{sizeof set, SIF_RANGE | SIF_PAGE, 0, 1000, 100, 0, 0};
    SetScrollInfo(window, SB_HORZ, &set, TRUE);
    EXPECT_TRUE(EnableScrollBar(window, SB_HORZ, ESB_DISABLE_LEFT));
    EXPECT_FALSE(EnableScrollBar(window, SB_HORZ, ESB_DISABLE_LEFT));
    host.pump();
    host.clearLog();
    const int y = 100 - WD_SCROLLBAR_SIZE + 8;
    host.click(window, 3, y);
    EXPECT_EQ(host.count(window, WM_HSCROLL), 0u);
    host.click(window, 396, y);
    EXPECT_EQ(host.count(window, WM_HSCROLL), 2u);
    EXPECT_TRUE(EnableScrollBar(window, SB_HORZ, ESB_DISABLE_BOTH));
    host.clearLog();
    host.click(window, 396, y);
    EXPECT_EQ(host.count(window, WM_HSCROLL), 0u);
    EXPECT_TRUE(EnableScrollBar(window, SB_HORZ, ESB_ENABLE_BOTH));
    // The bar is drawn: arrow boxes at both ends, the thumb at the left end of the track.
    Image image = host.capture(window);
    EXPECT_EQ(image.at(1, y), rgbPixel(0xD4, 0xD4, 0xD4));
    EXPECT_EQ(image.at(WD_SCROLLBAR_SIZE + 2, y), rgbPixel(0xA8, 0xA8, 0xA8));
}

}  // namespace
