// Against a real PulseAudio server: what the player plays comes back from the null sink's
// monitor intact, to its very last sample. Skips, saying why, when no such server answers.
#include <gtest/gtest.h>

#include "audio/player.h"
#include "audio/wave_devices.h"
#include "pulse_fixture.h"
#include "services/settings.h"
#include "support/temp_dir.h"
#include "support/test_host.h"
#include "wavedeck_messages.h"

namespace {

using namespace pulsetest;

struct PlayCase {
    const char* what;
    int frames;
    int mode;
    int selStart;
    int selLength;
};

void PrintTo(const PlayCase& c, std::ostream* out) { *out << c.what; }

class PulsePlayer : public ::testing::TestWithParam<PlayCase> {};

// The last buffer of 40,959 frames is full to one frame: no padding hides a lost tail.
// A selection of 100 ms fits in one buffer, which is all the tail.
INSTANTIATE_TEST_SUITE_P(Ranges, PulsePlayer,
                         ::testing::Values(PlayCase{"track", 40959, wd::Player::kPlayToEnd, 0, 0},
                                           PlayCase{"selection", 44100, wd::Player::kPlaySelection, 10000, 4410}),
                         [](const auto& param) { return std::string(param.param.what); });

TEST_P(PulsePlayer, ThePlayedRangeComesBackFromTheMonitorWithItsLast50Milliseconds) {
    REQUIRE_TEST_SERVER(sink, monitor);
    const PlayCase& c = GetParam();
    wdtest::TempDir temp;
    const std::string previousTemp = wd::Settings::instance().tempFolder();
    wd::Settings::instance().setTempFolder(temp.path().c_str());
    wd::WaveDevices::instance().setWaveOut(sink);
    wd::Track track;
    const std::vector<int16_t> all = fillWithNoise(track, c.frames, 20240612);
    for (int ch = 0; ch < 2; ++ch) {
        track.channel(ch)->selStart = c.selStart;
        track.channel(ch)->selLength = c.selLength;
    }
    const int end = c.selLength ? c.selStart + c.selLength : c.frames;
    const std::vector<int16_t> sent(all.begin() + 2 * c.selStart, all.begin() + 2 * end);

    MonitorRecording recording(monitor, 2.5);
    ASSERT_TRUE(recording.start());
    // Play, standing in for the main window, which stops the player at the range end.
    wdtest::TestHost host;
    HWND mainWindow = host.addChild(host.frame(), 0, 0, 10, 10, 0,
                                    [](HWND, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
                                        if (message != MsgPlayRangeEnd) return std::nullopt;
                                        wd::Player::instance().stop();
                                        return 0;
                                    });
    wd::Player& player = wd::Player::instance();
    player.addWindow(mainWindow);
    ASSERT_TRUE(player.play(track, c.mode, false));
    EXPECT_TRUE(host.waitForMessage(mainWindow, MsgPlayStopped, 20000ms)) << "the play did not end";
    player.stop();
    const std::vector<int16_t> capture = recording.stop();
    wd::Settings::instance().setTempFolder(previousTemp.c_str());
    expectPlayedWhole(sent, capture);
}

}  // namespace
