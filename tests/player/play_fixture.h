// What the player tests share: a null device at unlimited speed that keeps the bytes it
// played, a window standing in for the main window (it stops the player on
// MsgPlayRangeEnd, as the real one does), tracks of staircase signals, and the streams
// the device is expected to receive.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "services/settings.h"
#include "audio/player.h"
#include "model/track.h"
#include "platform/audio/audio_backend.h"
#include "platform/audio/null_audio_backend.h"
#include "support/temp_dir.h"
#include "support/test_host.h"
#include "wavedeck_messages.h"

namespace playtest {

using namespace std::chrono_literals;

constexpr int kMonoFrames = wd::Player::kBufferBytes / 2;
constexpr int kStereoFrames = wd::Player::kBufferBytes / 4;
constexpr UINT kPlayMessages[] = {MsgPlayStarted, MsgPlayRangeEnd, MsgPlayStopped, MsgPlayProgress};

/** A float whose 16-bit form (x * 32767.5 truncated toward zero) is exactly v: half a
 * step away from both neighbours, so no rounding of the product can move it. */
inline float sampleFor(int v) { return static_cast<float>((v + (v >= 0 ? 0.5 : -0.5)) / 32767.5); }

/** The staircase of a channel: sample i of channel 0 is i % 30000 + 1, of channel 1 its
 * negative, so every 16-bit sample tells its channel and (within 30000) its position. */
inline int16_t stair(int channel, int i) {
    const int v = i % 30000 + 1;
    return static_cast<int16_t>(channel == 0 ? v : -v);
}

/** The process's backend, which CTest makes the null one. */
inline wd::NullAudioBackend& nullBackend() {
    auto* backend = dynamic_cast<wd::NullAudioBackend*>(&wd::AudioBackend::instance());
    if (!backend) {
        ADD_FAILURE() << "the player tests need WAVEDECK_AUDIO=null";
        std::abort();
    }
    return *backend;
}

class PlayerTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    /** A track of `channels` staircase channels of `length` samples. */
    std::unique_ptr<wd::Track> makeTrack(int channels, int length, int rate = 44100);
    /** Gives the track one channel per signal, holding it. */
    static void fillTrack(wd::Track& track, const std::vector<std::vector<float>>& signals, int rate = 44100);
    /** What the device played so far, as 16-bit samples. */
    std::vector<int16_t> played();
    /** Pumps until the stand-in main window got MsgPlayStopped `times` times. */
    bool waitForStop(size_t times = 1, std::chrono::milliseconds deadline = 20000ms);
    /** The player's messages to the stand-in window, in order. */
    std::vector<UINT> messages();

    wd::NullAudioBackend* backend = nullptr;
    wd::Player& player = wd::Player::instance();
    std::unique_ptr<wdtest::TempDir> temp;
    std::string previousTemp;
    std::unique_ptr<wdtest::TestHost> host;
    HWND mainWindow = nullptr;
};

/** The stream of a play to the end of a range: the samples of the range in whole buffers
 * of `frames` frames, the last padded with silence. */
std::vector<int16_t> rangeStream(const std::vector<std::vector<int16_t>>& channels, int start, int end);
/** Checks that `got` is that stream followed by nothing but silence, of at most two more
 * buffers (those still queued when the stop came). */
void expectRangeThenSilence(const std::vector<int16_t>& got, const std::vector<int16_t>& expected);
/** The first `count` samples of an endless loop of [start, end) read from the channels
 * (interleaved when there are two). */
std::vector<int16_t> loopStream(const std::vector<std::vector<int16_t>>& channels, int start, int end, size_t count);
/** The staircase samples of a channel, 0..length-1. */
std::vector<int16_t> stairs(int channel, int length);

}  // namespace playtest
