// The playback exports over the current track of the process's track list.
#include <gtest/gtest.h>

#include "model/track_list.h"
#include "play_fixture.h"
#include "wavedeck.h"

namespace playtest {
namespace {

class PlayExportsTest : public PlayerTest {
protected:
    void SetUp() override {
        PlayerTest::SetUp();
        ASSERT_EQ(wd::TrackList::instance().current(), nullptr) << "another test left a current track";
    }
    void TearDown() override {
        player.stop();
        if (track) wd::TrackList::instance().removeTrack(track);
        PlayerTest::TearDown();
    }
    void makeCurrentTrack(int length) {
        track = wd::TrackList::instance().addTrack("played");
        std::vector<float> samples(static_cast<size_t>(length));
        for (int i = 0; i < length; ++i) samples[static_cast<size_t>(i)] = sampleFor(stair(0, i));
        fillTrack(*track, {samples});
        ASSERT_EQ(wd::TrackList::instance().setCurrent(track), 0);
    }

    wd::Track* track = nullptr;
};

TEST_F(PlayExportsTest, PlayTrackWithoutACurrentTrackReturnsMinusOneAndPostsNothing) {
    EXPECT_EQ(WDXPlayTrack(0), -1);
    host->pump();
    EXPECT_TRUE(messages().empty());
    EXPECT_FALSE(player.isPlaying());
}

TEST_F(PlayExportsTest, PlayTrackPlaysTheCurrentTracksSelection) {
    makeCurrentTrack(28000);
    track->channel(0)->selStart = 100;
    track->channel(0)->selLength = 20000;
    EXPECT_EQ(WDXPlayTrack(0), 0);
    ASSERT_TRUE(waitForStop());
    expectRangeThenSilence(played(), rangeStream({stairs(0, 28000)}, 100, 20100));
}

TEST_F(PlayExportsTest, PlayTrackWithAnUnknownModeReturnsMinusOneAndPostsNothing) {
    makeCurrentTrack(1000);
    EXPECT_EQ(WDXPlayTrack(7), -1);
    host->pump();
    EXPECT_TRUE(messages().empty());
}

TEST_F(PlayExportsTest, StopTrackWhenIdleDoesNothingAndPostsNothing) {
    EXPECT_EQ(WDXStopTrack(), 0);
    host->pump();
    EXPECT_TRUE(messages().empty());
}

TEST_F(PlayExportsTest, PauseAndRestartTrackHoldAndResumeThePlay) {
    backend->setSpeed(1.0);
    makeCurrentTrack(28000);
    ASSERT_EQ(WDXPlayTrack(0), 0);
    EXPECT_EQ(WDXPauseTrack(), 0);
    EXPECT_TRUE(player.isPaused());
    EXPECT_EQ(WDXRestartTrack(), 0);
    EXPECT_FALSE(player.isPaused());
    EXPECT_TRUE(player.isPlaying());
    EXPECT_EQ(WDXStopTrack(), 0);
    EXPECT_FALSE(player.isPlaying());
    host->pump();
    EXPECT_EQ(messages(), (std::vector<UINT>{MsgPlayStarted, MsgPlayStopped}));
}

TEST_F(PlayExportsTest, PauseAndRestartWhenIdleDoNothing) {
    EXPECT_EQ(WDXPauseTrack(), 0);
    EXPECT_FALSE(player.isPaused());
    EXPECT_EQ(WDXRestartTrack(), 0);
    host->pump();
    EXPECT_TRUE(messages().empty());
}

TEST_F(PlayExportsTest, PlayControlWhilePausedResumesTheSamePlay) {
    makeCurrentTrack(28000);
    ASSERT_EQ(WDXPlayTrack(0), 0);
    ASSERT_EQ(WDXPauseTrack(), 0);
    EXPECT_EQ(WDXPlayControl(1), 0);
    EXPECT_FALSE(player.isPaused());
    ASSERT_TRUE(waitForStop());
    std::vector<UINT> got = messages();
    EXPECT_EQ(std::count(got.begin(), got.end(), static_cast<UINT>(MsgPlayStarted)), 1) << "resumed, not restarted";
    expectRangeThenSilence(played(), rangeStream({stairs(0, 28000)}, 0, 28000));
}

TEST_F(PlayExportsTest, PlayControlWhilePlayingStartsAgainFromTheSelection) {
    backend->setSpeed(1.0);
    makeCurrentTrack(28000);
    ASSERT_EQ(WDXPlayTrack(0), 0);
    EXPECT_EQ(WDXPlayControl(0), 0);
    EXPECT_TRUE(player.isPlaying());
    EXPECT_EQ(WDXStopTrack(), 0);
    host->pump();
    EXPECT_EQ(messages(), (std::vector<UINT>{MsgPlayStarted, MsgPlayStopped, MsgPlayStarted, MsgPlayStopped}));
}

}  // namespace
}  // namespace playtest
