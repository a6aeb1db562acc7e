// The player on the null device: the exact stream the device receives for every mode and
// layout, the messages and their order, pause, resume, stop and failing devices.
#include <gtest/gtest.h>

#include <algorithm>

#include "play_fixture.h"

namespace playtest {
namespace {

using wd::Player;

TEST_F(PlayerTest, ASelectionPlaysExactlyItsSamplesThenSilenceToTheEndOfItsLastBuffer) {
    auto track = makeTrack(1, 28000);
    track->channel(0)->selStart = 1234;
    track->channel(0)->selLength = 23456;
    ASSERT_TRUE(player.play(*track, Player::kPlaySelection, false));
    ASSERT_TRUE(waitForStop());
    expectRangeThenSilence(played(), rangeStream({stairs(0, 28000)}, 1234, 1234 + 23456));
}

TEST_F(PlayerTest, ASelectionShorterThanABufferIsPaddedWithSilenceTo20480Bytes) {
    auto track = makeTrack(1, 28000);
    track->channel(0)->selStart = 500;
    track->channel(0)->selLength = 1000;
    ASSERT_TRUE(player.play(*track, Player::kPlaySelection, false));
    ASSERT_TRUE(waitForStop());
    std::vector<int16_t> expected = rangeStream({stairs(0, 28000)}, 500, 1500);
    ASSERT_EQ(expected.size() * 2, 20480u);
    // The whole padded buffer arrives; the stop may cut a trailing silent one short.
    expectRangeThenSilence(played(), expected);
}

TEST_F(PlayerTest, ACursorPlaysFromTheCursorToTheEndOfTheTrack) {
    auto track = makeTrack(1, 28000);
    track->channel(0)->selStart = 5000;
    track->channel(0)->selLength = 0;
    ASSERT_TRUE(player.play(*track, Player::kPlaySelection, false));
    ASSERT_TRUE(waitForStop());
    expectRangeThenSilence(played(), rangeStream({stairs(0, 28000)}, 5000, 28000));
}

TEST_F(PlayerTest, PlayToEndStartsAtTheSelectionAndIgnoresItsLength) {
    auto track = makeTrack(1, 28000);
    track->channel(0)->selStart = 3000;
    track->channel(0)->selLength = 100;
    ASSERT_TRUE(player.play(*track, Player::kPlayToEnd, false));
    ASSERT_TRUE(waitForStop());
    expectRangeThenSilence(played(), rangeStream({stairs(0, 28000)}, 3000, 28000));
}

TEST_F(PlayerTest, AStereoTrackWithBothChannelsSelectedPlaysInterleavedFramesChannelZeroFirst) {
    auto track = makeTrack(2, 20000);
    for (int c = 0; c < 2; ++c) {
        track->channel(c)->selStart = 700;
        track->channel(c)->selLength = 15000;
    }
    ASSERT_TRUE(player.play(*track, Player::kPlaySelection, false));
    ASSERT_TRUE(waitForStop());
    expectRangeThenSilence(played(), rangeStream({stairs(0, 20000), stairs(1, 20000)}, 700, 15700));
}

TEST_F(PlayerTest, AStereoTrackWithOnlyChannelZeroSelectedPlaysItAloneAsOneChannel) {
    auto track = makeTrack(2, 20000);
    for (int c = 0; c < 2; ++c) {
        track->channel(c)->selStart = 300;
        track->channel(c)->selLength = 12000;
    }
    track->channel(1)->selectedFlag = false;
    ASSERT_TRUE(player.play(*track, Player::kPlaySelection, false));
    ASSERT_TRUE(waitForStop());
    expectRangeThenSilence(played(), rangeStream({stairs(0, 20000)}, 300, 12300));
}

TEST_F(PlayerTest, AStereoTrackWithOnlyChannelOneSelectedPlaysItAloneAsOneChannel) {
    auto track = makeTrack(2, 20000);
    for (int c = 0; c < 2; ++c) {
        track->channel(c)->selStart = 300;
        track->channel(c)->selLength = 12000;
    }
    track->channel(0)->selectedFlag = false;
    ASSERT_TRUE(player.play(*track, Player::kPlaySelection, false));
    ASSERT_TRUE(waitForStop());
    expectRangeThenSilence(played(), rangeStream({stairs(1, 20000)}, 300, 12300));
}

TEST_F(PlayerTest, AStereoTrackWithNeitherChannelSelectedPlaysChannelOne) {
    auto track = makeTrack(2, 20000);
    track->channel(0)->selectedFlag = false;
    track->channel(1)->selectedFlag = false;
    track->channel(0)->selStart = track->channel(1)->selStart = 9000;
    ASSERT_TRUE(player.play(*track, Player::kPlayToEnd, false));
    ASSERT_TRUE(waitForStop());
    expectRangeThenSilence(played(), rangeStream({stairs(1, 20000)}, 9000, 20000));
}

/** Plays a loop until the device has taken at least `buffers` refilled buffers, stops,
 * and checks every sample received against the endless loop. */
class LoopTest : public PlayerTest {
protected:
    void playLoop(wd::Track& track, const std::vector<std::vector<int16_t>>& channels, int start, int end,
                  size_t buffers = 8) {
        ASSERT_TRUE(player.play(track, Player::kLoopSelection, false));
        ASSERT_TRUE(host->pumpUntil([&] { return host->count(mainWindow, MsgPlayProgress) >= buffers; }, 20000ms));
        ASSERT_TRUE(player.stop());
        std::vector<int16_t> got = played();
        ASSERT_GE(got.size(), buffers * kMonoFrames);
        std::vector<int16_t> expected = loopStream(channels, start, end, got.size());
        size_t mismatches = 0;
        for (size_t i = 0; i < got.size(); ++i) {
            if (got[i] != expected[i] && ++mismatches <= 5) {
                ADD_FAILURE() << "sample " << i << ": got " << got[i] << ", expected " << expected[i];
            }
        }
        EXPECT_EQ(mismatches, 0u);
        EXPECT_EQ(host->count(mainWindow, MsgPlayRangeEnd), 0u) << "a loop has no end";
    }
};

TEST_F(LoopTest, ALoopShorterThanOneBufferRepeatsSeamlessly) {
    auto track = makeTrack(1, 20000);
    track->channel(0)->selStart = 1000;
    track->channel(0)->selLength = 3001;
    playLoop(*track, {stairs(0, 20000)}, 1000, 4001);
}

TEST_F(LoopTest, ALoopLongerThanOneBufferWrapsFromItsEndToItsStart) {
    auto track = makeTrack(1, 20000);
    track->channel(0)->selStart = 1000;
    track->channel(0)->selLength = 15000;
    playLoop(*track, {stairs(0, 20000)}, 1000, 16000);
}

TEST_F(LoopTest, ACursorLoopsFromTheCursorToTheEnd) {
    auto track = makeTrack(1, 20000);
    track->channel(0)->selStart = 12000;
    track->channel(0)->selLength = 0;
    playLoop(*track, {stairs(0, 20000)}, 12000, 20000);
}

TEST_F(LoopTest, AStereoLoopShorterThanOneBufferRepeatsBothChannelsInStep) {
    auto track = makeTrack(2, 20000);
    for (int c = 0; c < 2; ++c) {
        track->channel(c)->selStart = 500;
        track->channel(c)->selLength = 2000;
    }
    playLoop(*track, {stairs(0, 20000), stairs(1, 20000)}, 500, 2500);
}

TEST_F(LoopTest, AStereoLoopLongerThanOneBufferWraps) {
    auto track = makeTrack(2, 20000);
    for (int c = 0; c < 2; ++c) {
        track->channel(c)->selStart = 100;
        track->channel(c)->selLength = 7000;
    }
    playLoop(*track, {stairs(0, 20000), stairs(1, 20000)}, 100, 7100);
}

TEST_F(LoopTest, AOneChannelLoopOfAStereoTrackRepeatsThatChannel) {
    auto track = makeTrack(2, 20000);
    for (int c = 0; c < 2; ++c) {
        track->channel(c)->selStart = 4000;
        track->channel(c)->selLength = 999;
    }
    track->channel(1)->selectedFlag = false;
    playLoop(*track, {stairs(0, 20000)}, 4000, 4999);
}

/** A loop whose range holds no samples keeps playing silence: each fill ends instead of
 * spinning, so buffers keep coming back. */
void expectSilentLoop(wdtest::TestHost& host, HWND window, wd::Player& player, const std::vector<int16_t>& got) {
    EXPECT_TRUE(player.isPlaying());
    EXPECT_GE(host.count(window, MsgPlayProgress), 4u);
    EXPECT_GE(got.size(), 4u * kMonoFrames);
    EXPECT_TRUE(std::all_of(got.begin(), got.end(), [](int16_t s) { return s == 0; }));
}

TEST_F(PlayerTest, ALoopFromACursorAtTheVeryEndPlaysSilenceWithoutSpinning) {
    auto track = makeTrack(1, 20000);
    track->channel(0)->selStart = 20000;
    track->channel(0)->selLength = 0;
    ASSERT_TRUE(player.play(*track, Player::kLoopSelection, false));
    ASSERT_TRUE(host->pumpUntil([&] { return host->count(mainWindow, MsgPlayProgress) >= 4; }, 20000ms));
    expectSilentLoop(*host, mainWindow, player, played());
    EXPECT_TRUE(player.stop());
}

TEST_F(PlayerTest, ALoopRangeBeyondTheDataPlaysSilenceWithoutSpinning) {
    auto track = makeTrack(2, 20000);
    for (int c = 0; c < 2; ++c) {
        track->channel(c)->selStart = 50000;
        track->channel(c)->selLength = 1000;
    }
    ASSERT_TRUE(player.play(*track, Player::kLoopSelection, false));
    ASSERT_TRUE(host->pumpUntil([&] { return host->count(mainWindow, MsgPlayProgress) >= 4; }, 20000ms));
    expectSilentLoop(*host, mainWindow, player, played());
    EXPECT_TRUE(player.stop());
}

TEST_F(PlayerTest, MessagesComeInOrderStartedProgressRangeEndThenStoppedAfterTheStop) {
    auto track = makeTrack(1, 30000);
    track->channel(0)->selStart = 0;
    track->channel(0)->selLength = 25000;  // three buffers of data
    ASSERT_TRUE(player.play(*track, Player::kPlaySelection, false));
    ASSERT_TRUE(waitForStop());
    host->pumpFor(50ms);
    std::vector<UINT> got = messages();
    ASSERT_GE(got.size(), 5u);
    EXPECT_EQ(got.front(), static_cast<UINT>(MsgPlayStarted));
    // Buffers 0 and 1 end inside the range and are refilled; buffer 2 reaches its end;
    // the trailing silent buffers may finish before the stop, each saying so.
    EXPECT_EQ(got[1], static_cast<UINT>(MsgPlayProgress));
    EXPECT_EQ(got[2], static_cast<UINT>(MsgPlayProgress));
    size_t ends = 0;
    while (3 + ends < got.size() && got[3 + ends] == static_cast<UINT>(MsgPlayRangeEnd)) ++ends;
    EXPECT_GE(ends, 1u);
    EXPECT_LE(ends, 3u);
    ASSERT_EQ(got.size(), 4 + ends);
    EXPECT_EQ(got.back(), static_cast<UINT>(MsgPlayStopped));
    EXPECT_FALSE(player.isPlaying());
}

TEST_F(PlayerTest, PauseHoldsThePlayAndResumeGoesOnWithoutLosingASample) {
    backend->setSpeed(4.0);  // slow enough that the pause comes in the middle
    auto track = makeTrack(1, 28000);
    track->channel(0)->selStart = 0;
    track->channel(0)->selLength = 0;
    ASSERT_TRUE(player.play(*track, Player::kPlaySelection, false));
    player.pause();
    EXPECT_TRUE(player.isPaused());
    const size_t held = played().size();
    host->pumpFor(100ms);
    EXPECT_EQ(played().size(), held) << "the device went on while paused";
    EXPECT_TRUE(player.isPlaying());
    player.resume();
    EXPECT_FALSE(player.isPaused());
    ASSERT_TRUE(waitForStop());
    expectRangeThenSilence(played(), rangeStream({stairs(0, 28000)}, 0, 28000));
}

TEST_F(PlayerTest, StopWhileBuffersAreQueuedEndsAtOnceWithStoppedAndNothingAfter) {
    backend->setSpeed(1.0);
    auto track = makeTrack(1, 28000);
    ASSERT_TRUE(player.play(*track, Player::kPlaySelection, false));
    ASSERT_TRUE(player.stop());
    EXPECT_FALSE(player.isPlaying());
    EXPECT_FALSE(player.stop()) << "a second stop finds nothing to stop";
    host->pumpFor(100ms);
    EXPECT_EQ(messages(), (std::vector<UINT>{MsgPlayStarted, MsgPlayStopped}));
    // What did play is the start of the range.
    std::vector<int16_t> got = played();
    std::vector<int16_t> expected = rangeStream({stairs(0, 28000)}, 0, 28000);
    ASSERT_LE(got.size(), expected.size());
    EXPECT_TRUE(std::equal(got.begin(), got.end(), expected.begin()));
}

TEST_F(PlayerTest, ANewPlayWhilePlayingStopsTheOldOneFirst) {
    backend->setSpeed(1.0);
    auto track = makeTrack(1, 28000);
    ASSERT_TRUE(player.play(*track, Player::kPlaySelection, false));
    ASSERT_TRUE(player.play(*track, Player::kPlayToEnd, false));
    EXPECT_TRUE(player.isPlaying());
    ASSERT_TRUE(player.stop());
    host->pump();
    EXPECT_EQ(messages(), (std::vector<UINT>{MsgPlayStarted, MsgPlayStopped, MsgPlayStarted, MsgPlayStopped}));
}

TEST_F(PlayerTest, ADeviceThatCannotBeOpenedEndsThePlayWithStoppedAndSaysSo) {
    backend->setOpenFails(true);
    auto track = makeTrack(1, 28000);
    EXPECT_FALSE(player.play(*track, Player::kPlaySelection, false));
    EXPECT_FALSE(player.isPlaying());
    host->pump();
    EXPECT_EQ(messages(), (std::vector<UINT>{MsgPlayStarted, MsgPlayStopped}));
    EXPECT_TRUE(played().empty());
}

TEST_F(PlayerTest, ASoundServerThatGoesAwayEndsThePlayWithRangeEndThenStopped) {
    backend->setSpeed(1.0);
    auto track = makeTrack(1, 28000);
    track->channel(0)->selStart = 0;
    track->channel(0)->selLength = 0;
    ASSERT_TRUE(player.play(*track, Player::kLoopSelection, false));  // a loop never ends by itself
    backend->failOpenStreams();
    ASSERT_TRUE(waitForStop(1, 10000ms)) << "the play hangs after its device failed";
    EXPECT_FALSE(player.isPlaying());
    std::vector<UINT> got = messages();
    ASSERT_GE(got.size(), 3u);
    EXPECT_EQ(got.front(), static_cast<UINT>(MsgPlayStarted));
    EXPECT_EQ(got[got.size() - 2], static_cast<UINT>(MsgPlayRangeEnd));
    EXPECT_EQ(got.back(), static_cast<UINT>(MsgPlayStopped));
}

TEST_F(PlayerTest, PlayingTheRecordingPostsOnlyRangeEnd) {
    auto track = makeTrack(1, 28000);
    ASSERT_TRUE(player.play(*track, Player::kPlaySelection, true));
    ASSERT_TRUE(host->waitForMessage(mainWindow, MsgPlayRangeEnd, 20000ms));
    EXPECT_FALSE(player.isPlaying()) << "the stand-in main window stops on the range end";
    host->pumpFor(50ms);
    for (UINT m : messages()) EXPECT_EQ(m, static_cast<UINT>(MsgPlayRangeEnd));
    expectRangeThenSilence(played(), rangeStream({stairs(0, 28000)}, 0, 28000));
}

TEST_F(PlayerTest, StopPlayingTrackStopsOnlyThePlayOfThatTrack) {
    backend->setSpeed(1.0);
    auto played = makeTrack(1, 28000);
    auto other = makeTrack(1, 100);
    ASSERT_TRUE(player.play(*played, Player::kPlaySelection, false));
    EXPECT_FALSE(player.stopPlayingTrack(other.get()));
    EXPECT_TRUE(player.isPlaying());
    EXPECT_TRUE(player.stopPlayingTrack(played.get()));
    EXPECT_FALSE(player.isPlaying());
}

TEST_F(PlayerTest, AnUnknownModeOrATrackWithoutChannelsChangesNothing) {
    auto track = makeTrack(1, 1000);
    EXPECT_FALSE(player.play(*track, 3, false));
    EXPECT_FALSE(player.play(*track, -1, false));
    wd::Track empty;
    EXPECT_FALSE(player.play(empty, Player::kPlaySelection, false));
    host->pump();
    EXPECT_TRUE(messages().empty());
    EXPECT_FALSE(player.isPlaying());
}

TEST_F(PlayerTest, TheFillPositionFollowsTheBuffersRead) {
    backend->setSpeed(1.0);
    auto track = makeTrack(1, 40000);
    track->channel(0)->selStart = 1000;
    track->channel(0)->selLength = 0;
    ASSERT_TRUE(player.play(*track, Player::kPlaySelection, false));
    // Three buffers were read before the first one could finish at real time.
    EXPECT_GE(player.fillPosition(), 1000 + 3 * kMonoFrames);
    EXPECT_LE(player.fillPosition(), 40000);
    player.stop();
}

}  // namespace
}  // namespace playtest
