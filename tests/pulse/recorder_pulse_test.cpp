// Against a real PulseAudio server, through the exports as a host calls them: a take
// recorded from the null sink's monitor while a track plays into the sink holds what was
// played, to its last 50 ms. Skips, saying why, when no such server answers.
#include <gtest/gtest.h>

#include <cmath>

#include "audio/player.h"
#include "model/track_list.h"
#include "pulse_fixture.h"
#include "services/settings.h"
#include "support/temp_dir.h"
#include "support/test_host.h"
#include "wavedeck.h"

namespace {

using namespace pulsetest;

TEST(PulseRecorder, ATakeOfTheMonitorHoldsTheTrackPlayedMeanwhileWithItsTail) {
    REQUIRE_TEST_SERVER(sink, monitor);
    wdtest::TempDir temp;
    const std::string previousTemp = wd::Settings::instance().tempFolder();
    wd::Settings::instance().setTempFolder(temp.path().c_str());
    wdtest::TestHost host(800, 600);
    ASSERT_TRUE(IsWindow(WDXCreateTrackMainWnd(host.frame(), 0, 0, 605, 377)));
    ASSERT_TRUE(IsWindow(WDXCreateRecordWnd(host.frame(), 0, 400, 300, 120)));
    WDXSetWaveOutDevice(sink);
    WDXSetWaveInDevice(monitor);
    // 40,959 frames fill the player's last buffer to one frame: no padding hides a lost tail.
    wd::Track* track = wd::TrackList::instance().addTrack("/played.wav");
    const std::vector<int16_t> sent = fillWithNoise(*track, 40959, 20240613);
    ASSERT_EQ(wd::TrackList::instance().setCurrent(track), 0);

    WDXSetRecordParam(2, 44100, 16);
    ASSERT_EQ(WDXBeginRecord(), 0);
    ASSERT_TRUE(host.pumpUntil([] { return WDXGetRecordInfo(0) > 0; }, 10000ms)) << "the monitor records nothing";
    ASSERT_EQ(WDXPlayTrack(1), 0);
    // The main window ends the play at the end of the track; 0.3 s more for the latency.
    ASSERT_TRUE(host.pumpUntil([] { return !wd::Player::instance().isPlaying(); }, 20000ms)) << "the play did not end";
    const int recorded = WDXGetRecordInfo(0);
    ASSERT_TRUE(host.pumpUntil([&] { return WDXGetRecordInfo(0) > recorded + 13230; }, 10000ms));
    EXPECT_EQ(WDXStopRecord(), 0);
    EXPECT_EQ(WDXSureRecord(), 0);
    ASSERT_TRUE(host.pumpUntil([&] { return wd::TrackList::instance().current() != track; }, 5000ms));

    const wd::Track& take = *wd::TrackList::instance().current();
    ASSERT_EQ(take.channelCount(), 2);
    std::vector<float> channels[2] = {std::vector<float>(static_cast<size_t>(take.length())),
                                      std::vector<float>(static_cast<size_t>(take.length()))};
    std::vector<int16_t> capture;
    for (int c = 0; c < 2; ++c) take.channel(c)->sequence().readSamples(channels[c].data(), 0, take.length());
    for (size_t i = 0; i < channels[0].size(); ++i) {
        for (const std::vector<float>& channel : channels) {
            const float x = channel[i];  // back to the 16-bit value it was recorded from
            capture.push_back(static_cast<int16_t>(std::lround(x < 0 ? x * 32768.0 : x * 32767.0)));
        }
    }
    WDXExitProgram();
    host.pump();
    wd::Settings::instance().setTempFolder(previousTemp.c_str());
    expectPlayedWhole(sent, capture);
}

}  // namespace
