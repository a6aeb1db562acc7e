// The tab strip: its colours and buttons on the headless display, tab widths, and the
// messages and scrolling that injected clicks and held buttons produce.
#include <gtest/gtest.h>

#include <set>

#include "ui/ui_session.h"
#include "ui/tab_window.h"
#include "wavedeck.h"
#include "wavedeck_messages.h"

namespace {

using namespace wdtest;
using wd::TabWindow;

constexpr int kWidth = 400;
constexpr int kHeight = 30;
constexpr uint32_t kStrip = rgb(255, 251, 233);
constexpr uint32_t kGrey = rgb(179, 179, 179);
constexpr uint32_t kSeparator = rgb(172, 168, 153);
constexpr uint32_t kWhite = rgb(255, 255, 255);
constexpr uint32_t kBlack = rgb(0, 0, 0);

class TabStrip : public ::testing::Test {
protected:
    UiSession session;
    HWND strip = nullptr;
    HWND listener = nullptr;
    TabWindow& tabs = TabWindow::instance();

    void SetUp() override {
        listener = session.host().addChild(session.frame(), 700, 500, 10, 10);
        strip = WCreateTrackTab(session.frame(), 0, 0, kWidth, kHeight);
        ASSERT_NE(strip, nullptr);
        tabs.addListener(listener);
        tabs.addListener(listener);  // once only
    }
    void addTabs(int n) {
        for (int i = 0; i < n; ++i) tabs.addTab(("Recording " + std::to_string(i)).c_str(), static_cast<uint32_t>(100 + i));
    }
    // True when the 13 x 13 pixels at (x, 4) of the capture equal the bitmap resource.
    static bool showsBitmap(const Image& image, int x, int id) {
        const Image bitmap = bitmapResource(id);
        if (bitmap.width != 13 || bitmap.height != 13) return false;
        for (int y = 0; y < 13; ++y) {
            for (int i = 0; i < 13; ++i) {
                if (image.at(x + i, 4 + y) != bitmap.at(i, y)) return false;
            }
        }
        return true;
    }
    int offsetNow() {
        session.host().pump();
        return tabs.scrollOffset();
    }
};

TEST_F(TabStrip, TheButtonBitmapsAreThirteenPixelsSquareAndDistinct) {
    std::set<std::vector<uint32_t>> looks;
    for (int id = 101; id <= 111; ++id) {
        const Image bitmap = bitmapResource(id);
        EXPECT_EQ(bitmap.width, 13) << id;
        EXPECT_EQ(bitmap.height, 13) << id;
        looks.insert(bitmap.pixels);
    }
    EXPECT_EQ(looks.size(), 11u);
    const Image picture = bitmapResource(117);
    EXPECT_EQ(picture.width, 582);
    EXPECT_EQ(picture.height, 341);
}

TEST_F(TabStrip, AnEmptyStripShowsItsColoursAndDisabledButtons) {
    char title[32] = {};
    GetWindowTextA(strip, title, sizeof title);
    EXPECT_STREQ(title, "tabTrack");
    const Image image = session.capture(strip);
    EXPECT_EQ(image.at(100, 10), kStrip);
    EXPECT_EQ(image.at(100, kHeight - 5), kWhite);
    for (int y = kHeight - 4; y < kHeight; ++y) EXPECT_EQ(image.at(100, y), kGrey) << y;
    EXPECT_TRUE(showsBitmap(image, kWidth - 45, 107));
    EXPECT_TRUE(showsBitmap(image, kWidth - 32, 108));
    EXPECT_TRUE(showsBitmap(image, kWidth - 19, 102));
    // A click on close with no tabs does nothing.
    session.host().click(strip, kWidth - 12, 10);
    session.host().pumpFor(50ms);
    EXPECT_EQ(session.host().count(listener, MsgTabClose), 0u);
}

TEST_F(TabStrip, TabsAreTheirNamesWidthPlusFourWithTheSelectedOneRaised) {
    addTabs(2);
    HDC dc = GetDC(strip);
    SIZE size{};
    GetTextExtentPoint32A(dc, "Recording 0", 11, &size);
    ReleaseDC(strip, dc);
    ASSERT_EQ(tabs.tabs().size(), 2u);
    EXPECT_EQ(tabs.tabs()[0].textWidth, size.cx);
    const int tw = tabs.tabs()[0].width;
    EXPECT_EQ(tw, size.cx + 4);
    EXPECT_EQ(tabs.addTab(nullptr, 7), -1);

    const Image image = session.capture(strip);
    // The selected first tab: white left and top edges, black right edge, grey face.
    EXPECT_EQ(image.at(0, 10), kWhite);
    EXPECT_EQ(image.at(tw / 2, 4), kWhite);
    EXPECT_EQ(image.at(tw, 10), kBlack);
    EXPECT_EQ(image.at(1, 27), kGrey);
    // The second tab is flat on the strip, closed by a separator.
    const int end = tw + tabs.tabs()[1].width;
    EXPECT_EQ(image.at(end, 10), kSeparator);
    EXPECT_EQ(image.at(end - 1, 24), kStrip);
    // Its name is written in dark text from x0 + 2, 6.
    const RECT name = boundingBox(image, RECT{tw + 1, 0, end, 24}, [](uint32_t p) { return (p & 0xFF) < 100; });
    EXPECT_GE(name.left, tw + 2);
    EXPECT_GE(name.top, 6);
    EXPECT_LE(name.right, end);
    // Both tabs fit: no scrolling, the close button flat.
    EXPECT_TRUE(showsBitmap(image, kWidth - 45, 107));
    EXPECT_TRUE(showsBitmap(image, kWidth - 32, 108));
    EXPECT_TRUE(showsBitmap(image, kWidth - 19, 102));
}

TEST_F(TabStrip, ClickingAnotherTabPostsItsTrackAndTheSameTabPostsNothing) {
    addTabs(2);
    const int x = tabs.tabs()[0].width + 5;
    session.host().click(strip, x, 12);
    ASSERT_TRUE(session.host().waitForMessage(listener, MsgTabSelect, 2000ms));
    EXPECT_EQ(session.host().messages(listener, MsgTabSelect)[0].lParam, 101);
    EXPECT_EQ(tabs.selectedIndex(), 1);
    session.host().click(strip, x, 12);
    session.host().pumpFor(50ms);
    EXPECT_EQ(session.host().count(listener, MsgTabSelect), 1u);
}

TEST_F(TabStrip, CloseNeedsPressAndReleaseOnTheButton) {
    addTabs(2);
    tabs.selectById(101);
    // Pressed on close, released elsewhere: nothing closes.
    session.host().mouse(WM_MOUSEMOVE, strip, kWidth - 12, 10);
    session.host().mouse(WM_LBUTTONDOWN, strip, kWidth - 12, 10);
    session.host().pump();
    EXPECT_TRUE(showsBitmap(session.capture(strip), kWidth - 19, 103));  // pressed look
    session.host().mouse(WM_LBUTTONUP, strip, 100, 12);
    session.host().pumpFor(50ms);
    EXPECT_EQ(session.host().count(listener, MsgTabClose), 0u);
    EXPECT_EQ(tabs.tabs().size(), 2u);
    EXPECT_EQ(GetCapture(), nullptr);
    // Pressed and released on close: the selected tab goes and its track is named.
    session.host().mouse(WM_MOUSEMOVE, strip, kWidth - 12, 10);
    session.host().pump();
    EXPECT_TRUE(showsBitmap(session.capture(strip), kWidth - 19, 101));  // raised under the pointer
    session.host().click(strip, kWidth - 12, 10);
    ASSERT_TRUE(session.host().waitForMessage(listener, MsgTabClose, 2000ms));
    EXPECT_EQ(session.host().messages(listener, MsgTabClose)[0].lParam, 101);
    ASSERT_EQ(tabs.tabs().size(), 1u);
    EXPECT_EQ(tabs.tabs()[0].trackId, 100u);
}

TEST_F(TabStrip, HoldingScrollRightScrollsTenPixelsPerTickUntilTheLastTabShows) {
    addTabs(12);
    const int total = [&] {
        int sum = 0;
        for (const auto& t : tabs.tabs()) sum += t.width;
        return sum;
    }();
    ASSERT_GT(total, kWidth - 50);
    EXPECT_TRUE(showsBitmap(session.capture(strip), kWidth - 32, 109));  // enabled, flat

    session.host().mouse(WM_MOUSEMOVE, strip, kWidth - 26, 10);
    session.host().mouse(WM_LBUTTONDOWN, strip, kWidth - 26, 10);
    EXPECT_EQ(offsetNow(), -10);  // one step at the press
    EXPECT_EQ(tabs.autoScrollMode(), 2);
    EXPECT_TRUE(showsBitmap(session.capture(strip), kWidth - 32, 111));  // pressed look
    // Every timer tick moves exactly 10 pixels.
    std::vector<int> seen{-10};
    ASSERT_TRUE(session.host().pumpUntil([&] {
        if (tabs.scrollOffset() != seen.back()) seen.push_back(tabs.scrollOffset());
        return seen.size() >= 4;
    }, 2000ms));
    for (size_t i = 1; i < seen.size(); ++i) EXPECT_EQ(seen[i - 1] - seen[i], 10);

    // Off the button the scrolling pauses; back on it, it resumes.
    session.host().mouse(WM_MOUSEMOVE, strip, 100, 12);
    const int paused = offsetNow();
    EXPECT_EQ(tabs.autoScrollMode(), 0);
    session.host().pumpFor(300ms);
    EXPECT_EQ(tabs.scrollOffset(), paused);
    session.host().mouse(WM_MOUSEMOVE, strip, kWidth - 26, 10);
    EXPECT_TRUE(session.host().pumpUntil([&] { return tabs.scrollOffset() < paused; }, 2000ms));

    // Held to the end: the last tab ends at w - 50 and the timer stops.
    EXPECT_TRUE(session.host().pumpUntil([&] { return tabs.autoScrollMode() == 0; }, 10000ms));
    EXPECT_EQ(tabs.scrollOffset(), kWidth - total - 50);
    session.host().mouse(WM_LBUTTONUP, strip, kWidth - 26, 10);
    session.host().pump();
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_TRUE(showsBitmap(session.capture(strip), kWidth - 32, 108));  // nothing left to scroll
    EXPECT_TRUE(showsBitmap(session.capture(strip), kWidth - 45, 104));  // now it can go back

    // Scroll left one step by a click.
    session.host().mouse(WM_MOUSEMOVE, strip, kWidth - 40, 10);
    session.host().click(strip, kWidth - 40, 10);
    EXPECT_EQ(offsetNow(), kWidth - total - 50 + 10);
}

TEST_F(TabStrip, SelectingATabUnderTheButtonsScrollsItIntoView) {
    addTabs(12);
    tabs.selectById(111);  // the last tab
    int end = tabs.scrollOffset();
    for (const auto& t : tabs.tabs()) end += t.width;
    EXPECT_EQ(end, kWidth - 50);
    tabs.selectById(100);  // the first: back to offset 0
    EXPECT_EQ(tabs.scrollOffset(), 0);
    tabs.selectById(12345);  // no tab carries it
    EXPECT_EQ(tabs.selectedIndex(), 0);
}

TEST_F(TabStrip, ButtonsAndTabsAreFoundByHitTesting) {
    addTabs(2);
    EXPECT_EQ(tabs.hitTest(kWidth - 45, 4, kWidth, kHeight), TabWindow::kScrollLeft);
    EXPECT_EQ(tabs.hitTest(kWidth - 32, 17, kWidth, kHeight), TabWindow::kScrollLeft);  // bounds inclusive, in order
    EXPECT_EQ(tabs.hitTest(kWidth - 31, 10, kWidth, kHeight), TabWindow::kScrollRight);
    EXPECT_EQ(tabs.hitTest(kWidth - 6, 10, kWidth, kHeight), TabWindow::kClose);
    EXPECT_EQ(tabs.hitTest(kWidth - 5, 10, kWidth, kHeight), TabWindow::kNothing);
    EXPECT_EQ(tabs.hitTest(3, 10, kWidth, kHeight), TabWindow::kTab);
    EXPECT_EQ(tabs.hitTest(3, kHeight - 5, kWidth, kHeight), TabWindow::kNothing);
    EXPECT_EQ(tabs.hitTest(300, 10, kWidth, kHeight), TabWindow::kNothing);
}

TEST_F(TabStrip, AThousandPaintsLeaveTheGdiObjectCountUnchanged) {
    addTabs(12);
    session.host().pump();
    const std::optional<DWORD> before = wdtest::gdiObjects();
    if (!before) GTEST_SKIP() << "this system does not count GDI objects";
    for (int i = 0; i < 1000; ++i) {
        InvalidateRect(strip, nullptr, TRUE);
        UpdateWindow(strip);
    }
    EXPECT_EQ(wdtest::gdiObjects(), before);
}

}  // namespace
