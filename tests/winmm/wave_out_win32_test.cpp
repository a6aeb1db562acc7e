// Playing through the system's wave-out device (winmm). Under Wine in CI that is ALSA's
// null device, whose buffers complete faster than real time: the tests check what reaches
// the device and the messages, not the time a play takes.
#include <windows.h>
#include <mmsystem.h>

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "audio/player.h"
#include "model/track.h"
#include "support/file_fixture.h"
#include "support/sound_files.h"
#include "wavedeck.h"
#include "wavedeck_messages.h"

namespace {

using namespace std::chrono_literals;

constexpr int kRate = 44100;
constexpr int kFrames = kRate / 2;

class WaveOut : public wdtest::FileFixture {
protected:
    void SetUp() override {
        if (waveOutGetNumDevs() == 0) GTEST_SKIP() << "this system has no wave-out device";
        wdtest::FileFixture::SetUp();
        // Stands in for the library's main window, which stops the play at the range's end.
        listener = host.addChild(host.frame(), 0, 0, 10, 10, 0, [](HWND, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
            if (message != MsgPlayRangeEnd) return std::nullopt;
            wd::Player::instance().stop();
            return 0;
        });
        wd::Player::instance().addWindow(listener);
        std::vector<int16_t> tone(static_cast<size_t>(kFrames) * 2);
        for (int i = 0; i < kFrames; ++i) {
            tone[2 * static_cast<size_t>(i)] = tone[2 * static_cast<size_t>(i) + 1] =
                static_cast<int16_t>(std::lround(8000 * std::sin(2 * M_PI * 440.0 * i / kRate)));
        }
        ASSERT_TRUE(wdtest::writePcm16(dir.file("tone.wav"), SF_FORMAT_WAV, 2, kRate, tone));
        track = open(dir.file("tone.wav"));
        ASSERT_TRUE(track);
    }
    void TearDown() override {
        wd::Player::instance().stop();
        if (listener) wdtest::FileFixture::TearDown();
    }

    HWND listener = nullptr;
    wd::Track* track = nullptr;
};

TEST_F(WaveOut, APlayFromTheStartReachesTheEndAndStops) {
    ASSERT_EQ(WDXPlayTrack(1), 0);
    ASSERT_TRUE(host.waitForMessage(listener, MsgPlayStopped, 20s));
    EXPECT_EQ(host.count(listener, MsgPlayStarted), 1u);
    EXPECT_EQ(host.count(listener, MsgPlayRangeEnd), 1u);
    EXPECT_GE(wd::Player::instance().fillPosition(), kFrames) << "every frame was handed to the device";
    EXPECT_FALSE(wd::Player::instance().isPlaying());
}

TEST_F(WaveOut, ALoopPlaysUntilItIsStoppedAndThenFallsSilent) {
    for (int c = 0; c < 2; ++c) {
        track->channel(c)->selStart = kFrames / 4;
        track->channel(c)->selLength = kFrames / 8;
    }
    ASSERT_EQ(WDXPlayTrack(2), 0);
    ASSERT_TRUE(host.waitForMessage(listener, MsgPlayProgress, 10s, 20)) << "the device keeps taking buffers";
    EXPECT_EQ(host.count(listener, MsgPlayRangeEnd), 0u);
    ASSERT_EQ(WDXStopTrack(), 0);
    ASSERT_TRUE(host.waitForMessage(listener, MsgPlayStopped, 5s));
    const size_t progress = host.count(listener, MsgPlayProgress);
    host.pumpFor(200ms);
    EXPECT_EQ(host.count(listener, MsgPlayProgress), progress) << "nothing plays after the stop";
}

}  // namespace
