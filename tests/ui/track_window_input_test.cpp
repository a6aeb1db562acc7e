// The track view under injected mouse input and scroll and zoom commands: cursor,
// selections by band, scrolling while dragging past an edge, the scroll bar and its
// scaling, zoom steps, and the notifications to the host.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "model/track.h"
#include "model/track_list.h"
#include "ui/ui_session.h"
#include "ui/track_window.h"
#include "wavedeck.h"
#include "wavedeck_messages.h"

namespace {

using namespace wdtest;

constexpr int kSpc = 79;

class TrackViewInput : public ::testing::Test {
protected:
    UiSession session;
    HWND view = nullptr;
    void SetUp() override {
        ASSERT_NE(session.createMain(), nullptr);
        view = wd::TrackWindow::instance().window();
    }
    wd::Track* openTrack(int channels, int64_t frames = 44100) {
        wd::Track* t = session.makeTrack("/music/tone.wav", channels, frames, sineSignal(441, 0.5));
        EXPECT_TRUE(session.open(t));
        session.host().clearLog();
        return t;
    }
    void drag(int x1, int y1, int x2, int y2) {
        session.host().mouse(WM_LBUTTONDOWN, view, x1, y1);
        session.host().mouse(WM_MOUSEMOVE, view, x2, y2);
        session.host().mouse(WM_LBUTTONUP, view, x2, y2);
        session.host().pump();
    }
    size_t selectionNotices() { return session.host().count(session.notified(), NotifySelectionChanged); }
    /** Drags the scroll bar's thumb with the mouse until its middle is at x (pixels of the
     * bar, which spans the client's width below it). */
    void dragThumbTo(int x) {
        SCROLLINFO info{sizeof(SCROLLINFO), SIF_ALL, 0, 0, 0, 0, 0};
        GetScrollInfo(view, SB_HORZ, &info);
        RECT client{};
        GetClientRect(view, &client);
        const int trackLength = client.right - 2 * wdtest::scrollBarHeight();
        const long long span = static_cast<long long>(info.nMax) - info.nMin + 1;
        const int length = std::max(8, static_cast<int>(trackLength * static_cast<long long>(info.nPage) / span));
        const long long positions = span - std::max<long long>(info.nPage, 1);
        const int start = static_cast<int>((trackLength - length) * static_cast<long long>(info.nPos - info.nMin) / positions);
        const int y = client.bottom + wdtest::scrollBarHeight() / 2;
        const int grab = wdtest::scrollBarHeight() + start + length / 2;
        session.host().mouse(WM_LBUTTONDOWN, view, grab, y);
        session.host().mouse(WM_MOUSEMOVE, view, x, y);
        session.host().mouse(WM_LBUTTONUP, view, x, y);
        session.host().pump();
    }
};

TEST(CanvasMapping, ClientPointsRoundToTheNearestCanvasPixel) {
    EXPECT_EQ(wd::TrackWindow::toCanvas(100, 50, 565, 330).x, 100);
    EXPECT_EQ(wd::TrackWindow::toCanvas(100, 50, 565, 330).y, 50);
    EXPECT_EQ(wd::TrackWindow::toCanvas(201, 101, 1130, 660).x, 101);  // 100.5 + 0.5
    EXPECT_EQ(wd::TrackWindow::toCanvas(201, 101, 1130, 660).y, 51);
    EXPECT_EQ(wd::TrackWindow::toCanvas(0xFFF6, 0, 565, 330).x, -9);  // -10 as a signed word, + 0.5
    EXPECT_EQ(wd::TrackWindow::toCanvas(5, 5, 0, 0).x, 0);
    EXPECT_EQ(wd::TrackWindow::bandOf(82), 1);
    EXPECT_EQ(wd::TrackWindow::bandOf(83), 2);
    EXPECT_EQ(wd::TrackWindow::bandOf(164), 2);
    EXPECT_EQ(wd::TrackWindow::bandOf(246), 3);
    EXPECT_EQ(wd::TrackWindow::bandOf(247), 4);
}

TEST_F(TrackViewInput, AClickSetsTheCursorAndTellsTheHost) {
    wd::Track* t = openTrack(1);
    session.host().click(view, 200, 150);
    EXPECT_EQ(t->channel(0)->selStart, 200 * kSpc);
    EXPECT_EQ(t->channel(0)->selLength, 0);
    EXPECT_TRUE(t->channel(0)->selectedFlag);
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_FALSE(wd::TrackWindow::instance().dragging());
    EXPECT_TRUE(session.host().waitForMessage(session.notified(), NotifySelectionChanged, 2000ms));
    EXPECT_EQ(wd::TrackWindow::instance().band(), 5);
}

TEST_F(TrackViewInput, ARightClickAsksForTheContextMenu) {
    openTrack(1);
    session.host().mouse(WM_RBUTTONDOWN, view, 100, 100);
    session.host().mouse(WM_RBUTTONUP, view, 100, 100);
    EXPECT_TRUE(session.host().waitForMessage(session.notified(), NotifyTrackContextMenu, 2000ms));
    EXPECT_EQ(selectionNotices(), 0u);
}

TEST_F(TrackViewInput, DraggingSelectsBothChannelsAndTheBandPicksWhichTakePart) {
    wd::Track* t = openTrack(2);
    drag(100, 40, 200, 40);  // top quarter: channel 0 only
    for (int c = 0; c < 2; ++c) {
        EXPECT_EQ(t->channel(c)->selStart, 100 * kSpc) << c;
        EXPECT_EQ(t->channel(c)->selLength, 100 * kSpc) << c;
    }
    EXPECT_TRUE(t->channel(0)->selectedFlag);
    EXPECT_FALSE(t->channel(1)->selectedFlag);

    drag(300, 300, 250, 300);  // bottom quarter, leftwards: channel 1 only
    EXPECT_EQ(t->channel(0)->selStart, 250 * kSpc);
    EXPECT_EQ(t->channel(0)->selLength, 50 * kSpc);
    EXPECT_FALSE(t->channel(0)->selectedFlag);
    EXPECT_TRUE(t->channel(1)->selectedFlag);

    drag(300, 120, 310, 120);  // second quarter: channel 0 joins, channel 1 keeps its flag
    EXPECT_TRUE(t->channel(0)->selectedFlag);
    EXPECT_TRUE(t->channel(1)->selectedFlag);
    drag(300, 40, 310, 40);
    drag(300, 200, 310, 200);  // third quarter: channel 1 joins, channel 0 keeps its flag
    EXPECT_TRUE(t->channel(0)->selectedFlag);
    EXPECT_TRUE(t->channel(1)->selectedFlag);
    EXPECT_TRUE(session.host().waitForMessage(session.notified(), NotifySelectionChanged, 2000ms, 5));
}

TEST_F(TrackViewInput, DraggingPastTheRightEdgeScrollsOneColumnPerMove) {
    wd::Track* t = openTrack(1, 441000);  // ten seconds
    ASSERT_EQ(WDXZoomIn(), 0);
    const int spc = t->samplesPerColumn;
    const int startView = t->viewStart;
    session.host().mouse(WM_LBUTTONDOWN, view, 500, 150);
    for (int i = 0; i < 5; ++i) session.host().mouse(WM_MOUSEMOVE, view, 600, 150);
    session.host().pump();
    EXPECT_EQ(t->viewStart, startView + 5 * spc);
    EXPECT_EQ(t->channel(0)->selStart, startView + 500 * spc);
    EXPECT_EQ(t->channel(0)->selStart + t->channel(0)->selLength, t->viewStart + 565 * spc);
    // Back to the left of the window: the view moves back one column per move.
    for (int i = 0; i < 2; ++i) session.host().mouse(WM_MOUSEMOVE, view, -20, 150);
    session.host().mouse(WM_LBUTTONUP, view, -20, 150);
    session.host().pump();
    EXPECT_EQ(t->viewStart, startView + 3 * spc);
    EXPECT_EQ(t->channel(0)->selStart, t->viewStart);
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(TrackViewInput, ZoomStepsKeepTheCentreAndStopAtOneSamplePerColumn) {
    wd::Track* t = openTrack(1);
    ASSERT_EQ(WDXZoomIn(), 0);
    EXPECT_EQ(t->zoomFactor, 2);
    EXPECT_EQ(t->samplesPerColumn, kSpc / 2);
    EXPECT_EQ(t->viewStart, 282 * (kSpc / 2));
    for (int i = 0; i < 10; ++i) WDXZoomIn();
    EXPECT_EQ(t->zoomFactor, 64);  // 79 / 128 would be below one sample per column
    EXPECT_EQ(t->samplesPerColumn, 1);
    ASSERT_EQ(WDXZoomOut(), 0);
    EXPECT_EQ(t->zoomFactor, 32);
    EXPECT_EQ(t->samplesPerColumn, 2);
    ASSERT_EQ(WDXZoomFit(), 0);
    EXPECT_EQ(t->zoomFactor, 1);
    EXPECT_EQ(t->samplesPerColumn, kSpc);
    EXPECT_EQ(t->viewStart, 0);
    WDXZoomOut();
    EXPECT_EQ(t->zoomFactor, 1);
}

TEST_F(TrackViewInput, TheScrollBarMovesTheViewByWholeColumns) {
    wd::Track* t = openTrack(1);
    EXPECT_FALSE(EnableScrollBar(view, SB_HORZ, ESB_DISABLE_BOTH));  // fits: arrows disabled
    WDXZoomIn();
    const int spc = t->samplesPerColumn;
    SCROLLINFO info{sizeof(SCROLLINFO), SIF_ALL, 0, 0, 0, 0, 0};
    GetScrollInfo(view, SB_HORZ, &info);
    EXPECT_EQ(info.nMax, (44100 + spc - 1) / spc);
    EXPECT_EQ(info.nPage, 565u);
    EXPECT_EQ(info.nPos, 282);
    const int before = t->viewStart;
    SendMessageA(view, WM_HSCROLL, SB_LINERIGHT, 0);
    EXPECT_EQ(t->viewStart, before + spc);
    EXPECT_EQ(wd::TrackWindow::instance().scrollPosition(), 283);
    // The thumb dragged to the left end brings the view back to the start.
    dragThumbTo(0);
    EXPECT_EQ(t->viewStart, 0);
    EXPECT_EQ(t->channel(0)->viewRecord.viewStart, t->viewStart);
    EXPECT_EQ(wd::TrackWindow::instance().scrollPosition(), 0);
    SendMessageA(view, WM_HSCROLL, SB_THUMBPOSITION | (5u << 16), 0);  // changes nothing
    EXPECT_EQ(wd::TrackWindow::instance().scrollPosition(), 0);
    dragThumbTo(300);
    const int dragged = wd::TrackWindow::instance().scrollPosition();
    EXPECT_GT(dragged, 0);
    EXPECT_EQ(t->viewStart, dragged * spc);
    // A click on the bar's left arrow scrolls one column back.
    session.host().mouse(WM_LBUTTONDOWN, view, 5, 330 + wdtest::scrollBarHeight() / 2);
    session.host().mouse(WM_LBUTTONUP, view, 5, 330 + wdtest::scrollBarHeight() / 2);
    EXPECT_TRUE(session.host().pumpUntil([&] { return wd::TrackWindow::instance().scrollPosition() == dragged - 1; }, 2000ms));
}

TEST_F(TrackViewInput, TracksWiderThanTheScrollRangeScaleTheirPositions) {
    wd::Track* t = openTrack(1, 220500);  // 5 s: 391 samples per column fitted
    for (int i = 0; i < 7; ++i) WDXZoomIn();
    ASSERT_EQ(t->zoomFactor, 128);
    ASSERT_EQ(t->samplesPerColumn, 3);
    SCROLLINFO info{sizeof(SCROLLINFO), SIF_ALL, 0, 0, 0, 0, 0};
    GetScrollInfo(view, SB_HORZ, &info);
    EXPECT_EQ(info.nMax, 65536);
    EXPECT_EQ(info.nPage, 1u);
    const float scale = wd::TrackWindow::instance().scrollScale();
    EXPECT_FLOAT_EQ(scale, 73500.0f / 65536.0f);
    // The thumb dragged to the right end: its position, 65,536, does not fit the message's
    // high word, yet the view reaches the end within one unit of scale columns.
    dragThumbTo(10000);
    EXPECT_EQ(wd::TrackWindow::instance().scrollPosition(), 65536);
    const int lastStart = 220500 - 565 * 3;
    EXPECT_LE(std::abs(t->viewStart - lastStart), static_cast<int>(std::ceil(scale)) * 3 + 565 * 3);
    EXPECT_GT(t->viewStart, 220500 - 2 * 565 * 3);
}

}  // namespace
