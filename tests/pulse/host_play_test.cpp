// The command-line host played as a listener hears it: its sound comes back from the null
// sink's monitor for as long as the file lasts.
#include <gtest/gtest.h>

#include <cmath>

#include "pulse_fixture.h"
#include "support/signal.h"
#include "support/sound_files.h"
#include "support/temp_dir.h"

namespace {

using namespace pulsetest;

// Seconds from the first to the last 10 ms window of the capture whose level is above
// half the tone's (0 when none is).
double loudSpan(const std::vector<int16_t>& capture, double toneRms) {
    constexpr size_t kWindow = 441;
    long first = -1, last = -1;
    for (size_t w = 0; (w + 1) * kWindow * 2 <= capture.size(); ++w) {
        double sum = 0;
        for (size_t i = w * kWindow * 2; i < (w + 1) * kWindow * 2; ++i) sum += double(capture[i]) * capture[i];
        if (std::sqrt(sum / (kWindow * 2)) > toneRms / 2) {
            if (first < 0) first = static_cast<long>(w);
            last = static_cast<long>(w);
        }
    }
    return first < 0 ? 0.0 : (last - first + 1) * 0.01;
}

TEST(HostPlay, TheFilePlaysForItsWholeLengthOnTheServer) {
    REQUIRE_TEST_SERVER(sink, monitor);
    wdtest::TempDir dir;
    const double seconds = 1.0;
    const auto tone = wdtest::toInt16(wdtest::sine(2, 44100, static_cast<size_t>(44100 * seconds), {1000.0, 1000.0}, 0.5));
    ASSERT_TRUE(wdtest::writePcm16(dir.file("tone.wav"), SF_FORMAT_WAV, 2, 44100, tone));
    MonitorRecording recording(monitor, 5.0);
    ASSERT_TRUE(recording.start());
    int code = -1;
    const std::string out = wdtest::runCommand("WAVEDECK_AUDIO=pulse WAVEDECK_REGISTRY='" + dir.file("registry") +
                                                   "' XDG_CACHE_HOME='" + dir.file("cache") + "' '" WAVEDECK_PROGRAM "' play '" +
                                                   dir.file("tone.wav") + "' 2>&1",
                                               &code);
    const std::vector<int16_t> capture = recording.stop();
    EXPECT_EQ(code, 0) << out;
    // The monitor may miss the first milliseconds of a new stream.
    EXPECT_NEAR(loudSpan(capture, 0.5 * 32767 / std::sqrt(2.0)), seconds, 0.03) << out;
}

}  // namespace
