// Recording through the exports on the null input device, whose tone is known sample for
// sample: what a take holds, its overview, its messages, and keeping, discarding and
// playing it back.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <thread>

#include "audio/player.h"
#include "record_fixture.h"

namespace recordtest {
namespace {

/** The recorder's float for sample i of the null input's tone: x = amplitude * sin(2 pi
 * phase), the phase advancing by frequency / rate per frame from 0, delivered as
 * 128 + round(127 x) or round(32767 x) and converted back. */
std::vector<float> toneAsRecorded(int bits, int rate, size_t frames) {
    std::vector<float> out(frames);
    double phase = 0.0;
    for (float& value : out) {
        const double x = kToneAmplitude * std::sin(2.0 * std::numbers::pi * phase);
        const long v = std::lround(x * (bits == 8 ? 127.0 : 32767.0));
        const double negative = bits == 8 ? 128.0 : 32768.0;
        value = static_cast<float>(v < 0 ? v / negative : v / (negative - 1.0));
        phase += kToneHz / rate;
        phase -= std::floor(phase);
    }
    return out;
}

/** Mismatches of the take's channel with the tone (1/127 and 1/32767 are float constants
 * in the recorder: equal within the float's precision). */
size_t toneMismatches(const std::vector<float>& samples, int bits, int rate) {
    const std::vector<float> expected = toneAsRecorded(bits, rate, samples.size());
    size_t wrong = 0;
    for (size_t i = 0; i < samples.size(); ++i) wrong += std::abs(samples[i] - expected[i]) > 1e-6f ? 1 : 0;
    return wrong;
}

std::string nextTakeName() { return "Untitle" + std::to_string(wd::Recorder::instance().takeCounter()); }

struct Format {
    int channels;
    int bits;
};

class RecordedTone : public RecordTest, public ::testing::WithParamInterface<Format> {};

INSTANTIATE_TEST_SUITE_P(Formats, RecordedTone,
                         ::testing::Values(Format{1, 16}, Format{2, 16}, Format{1, 8}, Format{2, 8}),
                         [](const auto& p) { return std::to_string(p.param.channels) + "x" + std::to_string(p.param.bits); });

TEST_P(RecordedTone, ArrivesInTheTakeAsConvertedWithOnePairPer1000Samples) {
    const Format f = GetParam();
    const std::string name = nextTakeName();
    ASSERT_TRUE(recordTake(f.channels, 22050, f.bits, 30000));
    const wd::Track* take = wd::Recorder::instance().recordedTrack();
    EXPECT_EQ(take->name(), name);
    EXPECT_EQ(take->channelCount(), f.channels);
    EXPECT_EQ(take->sampleRate, 22050);
    for (int c = 0; c < f.channels; ++c) {
        const std::vector<float> samples = takeSamples(c);
        ASSERT_GE(samples.size(), 30000u);
        EXPECT_EQ(toneMismatches(samples, f.bits, 22050), 0u) << "channel " << c;
        // A pair per block of 1000, the last block partial (the stop came within a buffer).
        const wd::RecordOverview& overview = *wd::Recorder::instance().overview(c);
        ASSERT_EQ(overview.pairCount(), static_cast<int>((samples.size() + 999) / 1000));
        for (int k : {0, overview.pairCount() - 1}) {
            const auto block = samples.begin() + k * 1000;
            const auto [low, high] = std::minmax_element(block, block + std::min<long>(1000, samples.end() - block));
            float minimum = 0, maximum = 0;
            overview.pairs(k, 1, &minimum, &maximum);
            EXPECT_EQ(minimum, *low);
            EXPECT_EQ(maximum, *high);
        }
    }
}

TEST_F(RecordTest, TheWindowHearsStartedThenLevelsThenStoppedWithOneLevelForBuffersStoredWhileItWasBusy) {
    ASSERT_TRUE(begin(1, 22050, 16));
    std::this_thread::sleep_for(300ms);  // no pumping: the window is busy
    ASSERT_GE(WDXGetRecordInfo(0), 5 * wd::Recorder::kBufferBytes / 2);
    host.pump();
    EXPECT_LE(std::count(recordMessages().begin(), recordMessages().end(), static_cast<UINT>(MsgRecordLevel)), 2);
    WDXStopRecord();
    host.pump();
    const std::vector<UINT>& got = recordMessages();
    ASSERT_GE(got.size(), 3u);
    EXPECT_EQ(got.front(), static_cast<UINT>(MsgRecordStarted));
    EXPECT_EQ(got.back(), static_cast<UINT>(MsgRecordStopped));
    EXPECT_TRUE(std::all_of(got.begin() + 1, got.end() - 1, [](UINT m) { return m == MsgRecordLevel; }));
}

TEST_F(RecordTest, AKeptTakeBecomesTheCurrentTrackWithATabAndTheNextTakeTheNextNumber) {
    const int counter = wd::Recorder::instance().takeCounter();
    ASSERT_TRUE(recordTake(2, 22050, 16, 5000));
    wd::Track* take = wd::Recorder::instance().recordedTrack();
    EXPECT_EQ(WDXSureRecord(), 0);
    ASSERT_TRUE(host.pumpUntil([&] { return wd::TrackList::instance().current() == take; }));
    const auto& tabs = wd::TabWindow::instance().tabs();
    EXPECT_TRUE(std::any_of(tabs.begin(), tabs.end(), [&](const auto& tab) { return tab.name == take->name(); }));
    EXPECT_GE(host.count(notified, NotifyTrackChanged), 1u);
    EXPECT_GE(WDXGetTrackInfo(2), 5000);
    EXPECT_EQ(wd::Recorder::instance().overview(0), nullptr);
    EXPECT_EQ(WDXGetRecordInfo(0), -1);
    EXPECT_EQ(wd::Recorder::instance().takeCounter(), counter + 1);
}

TEST_F(RecordTest, ADiscardedTakeIsRemovedAndItsNumberServesTheNextTake) {
    const std::string name = nextTakeName();
    ASSERT_TRUE(recordTake(1, 22050, 16, 5000));
    EXPECT_EQ(WDXCancelRecord(), 0);
    EXPECT_EQ(wd::TrackList::instance().count(), 0);
    ASSERT_TRUE(begin(1, 22050, 16));
    EXPECT_EQ(wd::Recorder::instance().recordedTrack()->name(), name);
}

TEST_F(RecordTest, BeginningAgainWhileTheHeldTakePlaysBackStopsThePlayAndReplacesTheTake) {
    ASSERT_TRUE(recordTake(1, 22050, 16, 30000));
    backend->setSpeed(1.0);
    ASSERT_EQ(WDXPlayRecord(), 0);
    const uint32_t first = wd::Recorder::instance().recordedTrack()->id();
    ASSERT_TRUE(begin(1, 22050, 16));
    EXPECT_FALSE(wd::Player::instance().isPlaying());
    EXPECT_EQ(wd::TrackList::instance().count(), 1);
    EXPECT_EQ(wd::TrackList::instance().findById(first), nullptr);
}

TEST_F(RecordTest, AFormatTheDeviceRefusesBeginsNoTake) {
    for (const Format f : {Format{3, 16}, Format{1, 24}, Format{0, 8}}) {
        EXPECT_FALSE(begin(f.channels, 22050, f.bits)) << f.channels << " x " << f.bits;
        EXPECT_EQ(wd::TrackList::instance().count(), 0);
    }
    host.pump();
    EXPECT_TRUE(recordMessages().empty());
}

TEST_F(RecordTest, ADeviceLostWhileRecordingEndsTheTakeWithWhatItRecorded) {
    ASSERT_TRUE(begin(1, 22050, 16));
    ASSERT_TRUE(recordAtLeast(12000));
    backend->failOpenStreams();
    ASSERT_TRUE(host.pumpUntil([] { return !wd::Recorder::instance().isRecording(); }));
    EXPECT_EQ(recordMessages().back(), static_cast<UINT>(MsgRecordStopped));
    const std::vector<float> samples = takeSamples(0);
    ASSERT_GE(samples.size(), 12000u);
    EXPECT_EQ(toneMismatches(samples, 16, 22050), 0u);
}

// In real time, a stop 200 ms into the second buffer: the buffer the device hands back
// part-filled belongs to the take.
TEST_F(RecordTest, AStopWithinABufferKeepsWhatThatBufferHolds) {
    constexpr int kBufferFrames = wd::Recorder::kBufferBytes / 2;  // mono 16-bit
    backend->setSpeed(1.0);
    ASSERT_TRUE(begin(1, 22050, 16));
    ASSERT_TRUE(recordAtLeast(kBufferFrames));
    std::this_thread::sleep_for(200ms);
    WDXStopRecord();
    host.pump();
    ASSERT_FALSE(wd::Recorder::instance().isRecording());
    const std::vector<float> samples = takeSamples(0);
    EXPECT_NE(samples.size() % kBufferFrames, 0u) << samples.size();
    EXPECT_GE(samples.size(), static_cast<size_t>(kBufferFrames + 22050 / 10)) << "at least 100 ms of the 200";
    EXPECT_EQ(toneMismatches(samples, 16, 22050), 0u);
}

TEST_F(RecordTest, PlayRecordPlaysTheTakeAndStopRecordEndsThatPlay) {
    EXPECT_EQ(WDXPlayRecord(), -1);  // no take yet
    ASSERT_TRUE(recordTake(1, 22050, 16, 30000));
    const std::vector<float> samples = takeSamples(0);
    backend->setCapture(0, true);
    ASSERT_EQ(WDXPlayRecord(), 0);
    ASSERT_TRUE(host.pumpUntil([] { return !wd::Player::instance().isPlaying(); }));  // ended by the main window
    const std::vector<int16_t> out = played();
    ASSERT_GE(out.size(), samples.size());
    for (size_t i = 0; i < samples.size(); i += 101) ASSERT_EQ(out[i], static_cast<int16_t>(samples[i] * 32767.5));

    backend->setSpeed(1.0);
    ASSERT_EQ(WDXPlayRecord(), 0);
    EXPECT_EQ(WDXStopRecord(), 0);
    EXPECT_FALSE(wd::Player::instance().isPlaying());
    EXPECT_FALSE(wd::Player::instance().playingRecording());
}

TEST_F(RecordTest, AMixOfTracksLeavesATakeAloneUntilItIsKept) {
    ASSERT_TRUE(recordTake(1, 22050, 16, 5000));
    ASSERT_EQ(WDXSureRecord(), 0);
    ASSERT_TRUE(host.pumpUntil([] { return wd::TrackList::instance().current() != nullptr; }));
    ASSERT_TRUE(begin(1, 22050, 16));
    ASSERT_TRUE(recordAtLeast(5000));
    EXPECT_EQ(WDXDoEffect(notified, 7, 0), -1) << "the take grows";
    WDXStopRecord();
    EXPECT_EQ(WDXDoEffect(notified, 7, 0), -1) << "the take is not kept";
    ASSERT_EQ(WDXSureRecord(), 0);
    ASSERT_TRUE(host.pumpUntil([] { return wd::TabWindow::instance().tabs().size() == 2; }));
    EXPECT_EQ(WDXDoEffect(notified, 7, 0), 0);
    EXPECT_TRUE(host.waitForMessage(notified, NotifyEffectDone, 10000ms));
}

TEST_F(RecordTest, ADeviceThatWillNotStartBeginsNoTakeAndTellsTheWindowNothing) {
    backend->setInputStartFails(true);
    EXPECT_FALSE(begin(1, 22050, 16));
    backend->setInputStartFails(false);
    host.pump();
    EXPECT_TRUE(recordMessages().empty());
    EXPECT_EQ(wd::TrackList::instance().count(), 0);
    ASSERT_TRUE(begin(1, 22050, 16));
    host.pump();
    ASSERT_FALSE(recordMessages().empty());
    EXPECT_EQ(recordMessages().front(), static_cast<UINT>(MsgRecordStarted));
}

TEST_F(RecordTest, WhileTheDeviceWillNotStopTheTakeIsNeitherKeptNorDiscardedNorReplaced) {
    ASSERT_TRUE(begin(1, 22050, 16));
    ASSERT_TRUE(recordAtLeast(5000));
    const uint32_t take = wd::Recorder::instance().recordedTrack()->id();
    backend->setInputStopFails(true);
    const int results[] = {WDXStopRecord(), WDXCancelRecord(), WDXSureRecord(), WDXBeginRecord()};
    const bool recording = wd::Recorder::instance().isRecording();
    const wd::Track* held = wd::Recorder::instance().recordedTrack();
    backend->setInputStopFails(false);
    EXPECT_EQ(results[1], -1);
    EXPECT_EQ(results[2], -1);
    EXPECT_EQ(results[3], -1);
    EXPECT_TRUE(recording);
    ASSERT_NE(held, nullptr);
    EXPECT_EQ(held->id(), take);
    EXPECT_EQ(wd::TrackList::instance().count(), 1);
    EXPECT_EQ(WDXCancelRecord(), 0);
    EXPECT_EQ(wd::TrackList::instance().count(), 0);
}

TEST_F(RecordTest, ExitingTheProgramStopsARecordingAndDropsTheTake) {
    ASSERT_TRUE(begin(2, 22050, 16));
    WDXExitProgram();
    EXPECT_FALSE(wd::Recorder::instance().isRecording());
    EXPECT_EQ(wd::TrackList::instance().count(), 0);
}

TEST(RecordOverview, GivesOnePairPerFullBlockAndOneMoreForWhatIsLeftWhenFinished) {
    // Sample n is n / 1000 + 1 - (n % 1000) / 1000: block k runs down from k + 1.
    for (const std::vector<int>& feeds : {std::vector<int>{1000, 1000}, {700, 1300}, {2500}, {999}}) {
        SCOPED_TRACE(::testing::PrintToString(feeds));
        std::vector<float> samples;
        wd::RecordOverview overview;
        for (int feed : feeds) {
            const size_t at = samples.size();
            for (int i = 0; i < feed; ++i) {
                const auto n = static_cast<int>(samples.size());
                samples.push_back(static_cast<float>(n / 1000) + 1.0f - static_cast<float>(n % 1000) / 1000.0f);
            }
            overview.feed(samples.data() + at, feed);
        }
        EXPECT_EQ(overview.pairCount(), static_cast<int>(samples.size() / 1000));
        overview.finish();
        ASSERT_EQ(overview.pairCount(), static_cast<int>((samples.size() + 999) / 1000));
        for (int k = 0; k < overview.pairCount(); ++k) {
            float minimum = 0, maximum = 0;
            overview.pairs(k, 1, &minimum, &maximum);
            EXPECT_EQ(maximum, static_cast<float>(k + 1));
            EXPECT_EQ(minimum, samples[std::min<size_t>(samples.size(), (k + 1) * 1000u) - 1]);
        }
    }
}

}  // namespace
}  // namespace recordtest
