// The windows while the Player plays (null audio device, real time): disabled tabs and
// view, the yellow play line, the view following the play, new tracks during play, and
// closing the track that plays.
#include <gtest/gtest.h>

#include "audio/player.h"
#include "model/track.h"
#include "model/track_list.h"
#include "ui/tab_window.h"
#include "ui/track_window.h"
#include "ui/ui_session.h"
#include "wavedeck.h"
#include "wavedeck_messages.h"

namespace {

using namespace wdtest;

constexpr uint32_t kPlayLine = rgb(255, 255, 16);

class Playing : public ::testing::Test {
protected:
    UiSession session;
    HWND view = nullptr;
    HWND tabs = nullptr;
    void SetUp() override {
        ASSERT_NE(session.createMain(), nullptr);
        view = wd::TrackWindow::instance().window();
        tabs = wd::TabWindow::instance().window();
    }
    void TearDown() override {
        WDXStopTrack();
        session.host().pumpUntil([] { return !wd::Player::instance().isPlaying(); }, 2000ms);
        session.host().pump();
    }
    wd::Track* openTrack(int64_t frames) {
        wd::Track* t = session.makeTrack("/music/long.wav", 1, frames, sineSignal(300, 0.4));
        EXPECT_TRUE(session.open(t));
        return t;
    }
};

TEST_F(Playing, PlayDisablesTabsAndViewAndDrawsTheLineUntilItStops) {
    wd::Track* t = openTrack(44100 * 3);
    const int spc = t->samplesPerColumn;
    t->channel(0)->selStart = 100 * spc;
    t->channel(0)->selLength = 0;
    session.host().clearLog();
    ASSERT_EQ(WDXPlayTrack(0), 0);
    ASSERT_TRUE(session.host().pumpUntil([&] { return !IsWindowEnabled(view) && !IsWindowEnabled(tabs); }, 2000ms));
    wd::TrackWindow& tw = wd::TrackWindow::instance();
    ASSERT_TRUE(session.host().pumpUntil([&] { return tw.playColumn() > 100; }, 3000ms));
    const Image image = session.capture(session.main());
    const int column = tw.playColumn();
    EXPECT_EQ(image.at(column, 30 + 50), kPlayLine);
    EXPECT_EQ(image.at(column, 30 + 4), kPlayLine);
    EXPECT_NE(image.at(column + 1, 30 + 50), kPlayLine);
    // Clicks on the disabled view do nothing.
    session.host().click(view, 300, 100);
    EXPECT_EQ(t->channel(0)->selStart, 100 * spc);

    ASSERT_EQ(WDXStopTrack(), 0);
    ASSERT_TRUE(session.host().pumpUntil([&] { return IsWindowEnabled(view) && IsWindowEnabled(tabs); }, 2000ms));
    EXPECT_TRUE(session.host().waitForMessage(session.notified(), NotifySelectionChanged, 2000ms));
    const Image after = session.capture(session.main());
    EXPECT_EQ(countColour(after, RECT{0, 30, 565, 360}, kPlayLine), 0);
}

TEST_F(Playing, TheViewFollowsOnceThePlayHasPassedThreeQuarters) {
    wd::Track* t = openTrack(44100 * 20);
    for (int i = 0; i < 5; ++i) WDXZoomIn();
    ASSERT_EQ(t->zoomFactor, 32);
    const int spc = t->samplesPerColumn;
    const int startView = t->viewStart;
    t->channel(0)->selStart = startView + 400 * spc;
    t->channel(0)->selLength = 0;
    ASSERT_EQ(WDXPlayTrack(0), 0);
    wd::TrackWindow& tw = wd::TrackWindow::instance();
    ASSERT_TRUE(session.host().pumpUntil([&] { return t->viewStart > startView; }, 4000ms));
    // The view moved by whole columns while the line stayed where it passed 423.
    EXPECT_EQ((t->viewStart - startView) % spc, 0);
    EXPECT_GE(tw.playColumn(), 423);
    const int line = tw.playColumn();
    session.host().pumpUntil([&] { return t->viewStart > startView + 300 * spc; }, 2000ms);
    EXPECT_EQ(tw.playColumn(), line);
    SCROLLINFO info{sizeof(SCROLLINFO), SIF_POS, 0, 0, 0, 0, 0};
    GetScrollInfo(view, SB_HORZ, &info);
    EXPECT_EQ(info.nPos, (t->viewStart + spc - 1) / spc);
}

TEST_F(Playing, ATrackArrivingDuringPlayOnlyGetsItsTab) {
    wd::Track* a = openTrack(44100 * 3);
    ASSERT_EQ(WDXPlayTrack(1), 0);
    ASSERT_TRUE(session.host().pumpUntil([&] { return !IsWindowEnabled(view); }, 2000ms));
    session.host().clearLog();
    wd::Track* b = session.makeTrack("/music/second.wav", 1, 4410, sineSignal(300, 0.4));
    PostMessageA(session.main(), MsgImportComplete, 0, reinterpret_cast<LPARAM>(b));
    session.host().pumpFor(50ms);
    EXPECT_EQ(wd::TabWindow::instance().tabs().size(), 2u);
    EXPECT_EQ(wd::TrackList::instance().current(), a);
    EXPECT_EQ(session.host().count(session.notified(), NotifyTrackChanged), 0u);
    EXPECT_EQ(session.host().count(session.notified(), NotifySelectionChanged), 1u);
}

TEST_F(Playing, ClosingThePlayingTrackStopsThePlayFirst) {
    openTrack(44100 * 3);
    ASSERT_EQ(WDXPlayTrack(1), 0);
    ASSERT_TRUE(session.host().pumpUntil([&] { return !IsWindowEnabled(view); }, 2000ms));
    session.host().pumpFor(100ms);
    EXPECT_EQ(WDXCloseCurTrack(), 0);
    EXPECT_FALSE(wd::Player::instance().isPlaying());
    EXPECT_EQ(wd::TrackList::instance().count(), 0);
    ASSERT_TRUE(session.host().pumpUntil([&] { return IsWindowEnabled(tabs); }, 2000ms));
}

TEST_F(Playing, ReachingTheEndStopsThePlay) {
    wd::Track* t = openTrack(22050);
    t->channel(0)->selStart = 0;
    t->channel(0)->selLength = 8000;
    ASSERT_EQ(WDXPlayTrack(0), 0);
    EXPECT_TRUE(session.host().pumpUntil([&] { return !wd::Player::instance().isPlaying(); }, 4000ms));
    EXPECT_TRUE(session.host().pumpUntil([&] { return IsWindowEnabled(view); }, 2000ms));
}

}  // namespace
