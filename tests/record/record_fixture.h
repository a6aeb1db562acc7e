// What the recording tests share: the null input device with a known tone, a host frame
// with the library's main window and record window (whose messages are logged on their
// way in), and the take read back.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "platform/audio/null_audio_backend.h"
#include "support/temp_dir.h"
#include "support/test_host.h"
#include "wavedeck_messages.h"

namespace wd {
class Track;
}

namespace recordtest {

using namespace std::chrono_literals;

/** The devices run this many times real time: fast, yet slow enough that the record
 * window, which redraws on every level message, keeps up even in a sanitizer build. */
constexpr double kRecordingSpeed = 50.0;
constexpr double kToneHz = 440.0;
constexpr double kToneAmplitude = 0.5;

/** The values the null input delivers for its tone (one channel; every channel of a frame
 * holds the same), as 16-bit or 8-bit integers: x = amplitude * sin(2 pi phase), the
 * phase advancing by frequency / rate per frame from 0. */
std::vector<int> toneValues(int bits, int rate, size_t frames);
/** The recorder's conversion of such a value to a float. */
float fromPcm(int value, int bits);

/** The record window is made this size in the frame. */
constexpr int kRecordWidth = 300;
constexpr int kRecordHeight = 120;

class RecordTest : public ::testing::Test {
protected:

    void SetUp() override;
    void TearDown() override;

    /** Sets the format, begins a take and records at least `frames` frames per channel,
     * then stops; false when something on the way failed. */
    bool recordTake(int channels, int rate, int bits, int frames);
    /** Begins a take in the format; false when WDXBeginRecord refused. */
    bool begin(int channels, int rate, int bits);
    /** Pumps until the take holds at least `frames` frames per channel. */
    bool recordAtLeast(int frames);
    /** The samples of one channel of the take. */
    std::vector<float> takeSamples(int channel) const;
    /** The library's messages the record window received, in order. */
    const std::vector<UINT>& recordMessages() const;
    /** What the null output device played, as 16-bit samples. */
    std::vector<int16_t> played() const;

    wd::NullAudioBackend* backend = nullptr;
    std::unique_ptr<wdtest::TempDir> temp;
    std::string previousTemp;
    std::unique_ptr<wdtest::TestHost> host;
    HWND notified = nullptr;
    HWND main = nullptr;
    HWND record = nullptr;
};

}  // namespace recordtest
