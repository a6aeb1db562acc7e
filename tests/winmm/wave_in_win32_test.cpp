// Recording through the system's wave-in device (winmm). Under Wine in CI that is ALSA's
// null device, which delivers silence faster than real time.
#include <windows.h>
#include <mmsystem.h>

#include <gtest/gtest.h>

#include <cmath>

#include "audio/recorder.h"
#include "model/track.h"
#include "model/track_list.h"
#include "services/settings.h"
#include "support/library_reset.h"
#include "support/temp_dir.h"
#include "support/test_host.h"
#include "wavedeck.h"
#include "wavedeck_messages.h"

namespace {

using namespace std::chrono_literals;

class WaveIn : public ::testing::Test {
protected:
    void SetUp() override {
        if (waveInGetNumDevs() == 0) GTEST_SKIP() << "this system has no wave-in device";
        previousTemp = wd::Settings::instance().tempFolder();
        wd::Settings::instance().setTempFolder(temp.path().c_str());
        notified = host.addChild(host.frame(), 890, 690, 1, 1);
        WDXRegisterMainWnd(notified);
        ASSERT_TRUE(IsWindow(WDXCreateTrackMainWnd(host.frame(), 0, 0, 605, 377)));
        ASSERT_TRUE(IsWindow(WDXCreateRecordWnd(host.frame(), 0, 400, 300, 120)));
        host.pump();
        set = true;
    }
    void TearDown() override {
        if (!set) return;
        wdtest::closeEveryTrack();
        host.pump();
        wd::Settings::instance().setTempFolder(previousTemp.c_str());
    }

    wdtest::TempDir temp;
    std::string previousTemp;
    wdtest::TestHost host{900, 700};
    HWND notified = nullptr;
    bool set = false;
};

TEST_F(WaveIn, AStereoTakeIsRecordedStoppedAndKeptAsTheCurrentTrack) {
    constexpr int kFrames = 4410;
    WDXSetRecordParam(2, 44100, 16);
    ASSERT_EQ(WDXBeginRecord(), 0);
    ASSERT_TRUE(host.pumpUntil([] { return WDXGetRecordInfo(0) >= kFrames; }, 10000ms)) << "the device delivers buffers";
    EXPECT_EQ(WDXStopRecord(), 0);
    host.pump();
    EXPECT_FALSE(wd::Recorder::instance().isRecording());
    wd::Track* take = wd::Recorder::instance().recordedTrack();
    ASSERT_TRUE(take);
    EXPECT_EQ(WDXSureRecord(), 0);
    ASSERT_TRUE(host.pumpUntil([&] { return wd::TrackList::instance().current() == take; }));
    EXPECT_EQ(take->channelCount(), 2);
    EXPECT_EQ(take->sampleRate, 44100);
    EXPECT_GE(take->length(), kFrames);
    std::vector<float> samples(static_cast<size_t>(take->length()));
    ASSERT_EQ(take->channel(1)->sequence().readSamples(samples.data(), 0, take->length()), take->length());
    for (float s : samples) ASSERT_TRUE(std::isfinite(s) && std::fabs(s) <= 1.0f);
}

}  // namespace
