// Recording through the exports on the null input device, whose tone is known sample for
// sample: what a take holds, its overview, its messages, and keeping, discarding and
// playing it back.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <thread>

#include "audio/player.h"
#include "audio/recorder.h"
#include "model/track.h"
#include "model/track_list.h"
#include "record_fixture.h"
#include "ui/tab_window.h"
#include "wavedeck.h"

namespace recordtest {
namespace {

struct Format {
    int channels;
    int bits;
};

void PrintTo(const Format& f, std::ostream* out) { *out << f.channels << " channel(s), " << f.bits << " bits"; }

/** The name the next take gets: the counter runs for the whole process. */
std::string nextTakeName() { return "Untitle" + std::to_string(wd::Recorder::instance().takeCounter()); }

class RecordedTone : public RecordTest, public ::testing::WithParamInterface<Format> {};

INSTANTIATE_TEST_SUITE_P(Formats, RecordedTone,
                         ::testing::Values(Format{1, 16}, Format{2, 16}, Format{1, 8}, Format{2, 8}),
                         [](const auto& param) {
                             return std::to_string(param.param.channels) + "x" + std::to_string(param.param.bits);
                         });

TEST_P(RecordedTone, ArrivesInTheTakeAsConvertedWithOnePairPer1000Samples) {
    const Format f = GetParam();
    const std::string name = nextTakeName();
    ASSERT_TRUE(recordTake(f.channels, 22050, f.bits, 30000));
    const wd::Track* take = wd::Recorder::instance().recordedTrack();
    ASSERT_NE(take, nullptr);
    EXPECT_EQ(take->name(), name);
    EXPECT_EQ(take->channelCount(), f.channels);
    EXPECT_EQ(take->sampleRate, 22050);
    for (int c = 0; c < f.channels; ++c) {
        SCOPED_TRACE("channel " + std::to_string(c));
        const std::vector<float> samples = takeSamples(c);
        ASSERT_GE(samples.size(), 30000u);
        const std::vector<int> values = toneValues(f.bits, 22050, samples.size());
        size_t wrong = 0;
        for (size_t i = 0; i < samples.size(); ++i) {
            // 1/127 and 1/32767 are applied as float constants: equal within the float's precision.
            if (std::abs(samples[i] - fromPcm(values[i], f.bits)) > 1e-6f && ++wrong <= 3) {
                ADD_FAILURE() << "sample " << i << " is " << samples[i] << ", the device gave " << values[i];
            }
        }
        EXPECT_EQ(wrong, 0u);
        // One (minimum, maximum) per block of 1000 samples, the last block partial.
        const wd::RecordOverview* overview = wd::Recorder::instance().overview(c);
        ASSERT_NE(overview, nullptr);
        const int pairs = overview->pairCount();
        ASSERT_EQ(pairs, static_cast<int>((samples.size() + 999) / 1000));
        std::vector<float> minima(static_cast<size_t>(pairs)), maxima(static_cast<size_t>(pairs));
        ASSERT_EQ(overview->pairs(0, pairs, minima.data(), maxima.data()), pairs);
        for (int k : {0, pairs / 2, pairs - 1}) {
            const auto first = static_cast<size_t>(k) * 1000;
            const auto [low, high] = std::minmax_element(samples.begin() + static_cast<long>(first),
                                                         samples.begin() + static_cast<long>(std::min(first + 1000, samples.size())));
            EXPECT_EQ(minima[static_cast<size_t>(k)], *low) << "pair " << k;
            EXPECT_EQ(maxima[static_cast<size_t>(k)], *high) << "pair " << k;
        }
    }
}

TEST_F(RecordTest, TheRecordWindowHearsStartedThenLevelsThenStopped) {
    // Buffers stored while the window is busy (not pumped) are shown by one message.
    ASSERT_TRUE(begin(1, 22050, 16));
    std::this_thread::sleep_for(300ms);
    ASSERT_GE(WDXGetRecordInfo(0), 5 * wd::Recorder::kBufferBytes / 2);
    host->pump();
    EXPECT_LE(std::count(recordMessages().begin(), recordMessages().end(), static_cast<UINT>(MsgRecordLevel)), 2);
    WDXStopRecord();
    host->pump();
    const std::vector<UINT>& got = recordMessages();
    ASSERT_GE(got.size(), 3u);
    EXPECT_EQ(got.front(), static_cast<UINT>(MsgRecordStarted));
    EXPECT_EQ(got.back(), static_cast<UINT>(MsgRecordStopped));
    EXPECT_TRUE(std::all_of(got.begin() + 1, got.end() - 1, [](UINT m) { return m == MsgRecordLevel; }));
}

TEST_F(RecordTest, KeepingHandsTheTakeToTheMainWindowAndCountsIt) {
    const int counter = wd::Recorder::instance().takeCounter();
    const std::string name = nextTakeName();
    ASSERT_TRUE(recordTake(2, 22050, 16, 5000));
    wd::Track* take = wd::Recorder::instance().recordedTrack();
    EXPECT_EQ(WDXSureRecord(), 0);
    ASSERT_TRUE(host->pumpUntil([&] { return wd::TrackList::instance().current() == take; }));
    const auto& tabs = wd::TabWindow::instance().tabs();
    EXPECT_TRUE(std::any_of(tabs.begin(), tabs.end(), [&](const auto& tab) { return tab.name == name; }));
    EXPECT_GE(host->count(notified, NotifyTrackChanged), 1u);
    EXPECT_EQ(WDXGetTrackInfo(0), 2);
    EXPECT_GE(WDXGetTrackInfo(2), 5000);
    EXPECT_EQ(wd::Recorder::instance().recordedTrack(), nullptr);
    EXPECT_EQ(wd::Recorder::instance().overview(0), nullptr);
    EXPECT_EQ(WDXGetRecordInfo(0), -1);
    EXPECT_EQ(wd::Recorder::instance().takeCounter(), counter + 1);
}

TEST_F(RecordTest, DiscardingRemovesTheTakeAndTheNextTakeKeepsItsName) {
    const std::string name = nextTakeName();
    ASSERT_TRUE(recordTake(1, 22050, 16, 5000));
    EXPECT_EQ(wd::TrackList::instance().count(), 1);
    EXPECT_EQ(WDXCancelRecord(), 0);
    EXPECT_EQ(wd::TrackList::instance().count(), 0);
    EXPECT_EQ(wd::Recorder::instance().recordedTrack(), nullptr);
    ASSERT_TRUE(begin(1, 22050, 16));
    EXPECT_EQ(wd::Recorder::instance().recordedTrack()->name(), name);
}

TEST_F(RecordTest, BeginningAgainWhileTheHeldTakePlaysBackStopsThePlayAndReplacesTheTake) {
    ASSERT_TRUE(recordTake(1, 22050, 16, 30000));
    backend->setSpeed(1.0);
    ASSERT_EQ(WDXPlayRecord(), 0);
    ASSERT_TRUE(wd::Player::instance().isPlaying());
    const uint32_t first = wd::Recorder::instance().recordedTrack()->id();
    ASSERT_TRUE(begin(1, 22050, 16));
    EXPECT_FALSE(wd::Player::instance().isPlaying());
    EXPECT_EQ(wd::TrackList::instance().count(), 1);
    EXPECT_EQ(wd::TrackList::instance().findById(first), nullptr);
    EXPECT_EQ(wd::Recorder::instance().recordedTrack(), wd::TrackList::instance().trackAt(0));
}

TEST_F(RecordTest, AFormatTheDeviceRefusesBeginsNoTake) {
    for (const Format f : {Format{3, 16}, Format{1, 24}, Format{0, 8}}) {
        SCOPED_TRACE(::testing::PrintToString(f));
        EXPECT_FALSE(begin(f.channels, 22050, f.bits));
        EXPECT_FALSE(wd::Recorder::instance().isRecording());
        EXPECT_EQ(wd::TrackList::instance().count(), 0);
    }
    host->pump();
    EXPECT_TRUE(recordMessages().empty());
}

TEST_F(RecordTest, ADeviceLostWhileRecordingEndsTheTakeWithWhatItRecorded) {
    backend->setSpeed(4.0);
    ASSERT_TRUE(begin(1, 22050, 16));
    ASSERT_TRUE(recordAtLeast(12000));
    backend->failOpenStreams();
    ASSERT_TRUE(host->pumpUntil([] { return !wd::Recorder::instance().isRecording(); }))
        << "the take did not end with its device";
    EXPECT_EQ(recordMessages().back(), static_cast<UINT>(MsgRecordStopped));
    const std::vector<float> samples = takeSamples(0);
    ASSERT_GE(samples.size(), 12000u);
    const std::vector<int> values = toneValues(16, 22050, samples.size());
    for (size_t i = 0; i < samples.size(); i += 997) ASSERT_NEAR(samples[i], fromPcm(values[i], 16), 1e-6f) << "sample " << i;
    // The take is kept like any other.
    EXPECT_EQ(WDXSureRecord(), 0);
    EXPECT_TRUE(host->pumpUntil([] { return wd::TrackList::instance().current() != nullptr; }));
}

TEST_F(RecordTest, PlayRecordPlaysTheTakeAndStopRecordEndsThatPlay) {
    EXPECT_EQ(WDXPlayRecord(), -1);  // no take yet
    ASSERT_TRUE(recordTake(1, 22050, 16, 30000));
    const std::vector<float> samples = takeSamples(0);
    backend->setCapture(0, true);
    ASSERT_EQ(WDXPlayRecord(), 0);
    // The main window stops the play at the end of the take.
    ASSERT_TRUE(host->pumpUntil([] { return !wd::Player::instance().isPlaying(); }));
    const std::vector<int16_t> out = played();
    ASSERT_GE(out.size(), samples.size());
    for (size_t i = 0; i < samples.size(); i += 101) {
        ASSERT_EQ(out[i], static_cast<int16_t>(samples[i] * 32767.5)) << "sample " << i;
    }

    backend->setSpeed(1.0);
    ASSERT_EQ(WDXPlayRecord(), 0);
    ASSERT_TRUE(wd::Player::instance().playingRecording());
    EXPECT_EQ(WDXStopRecord(), 0);
    EXPECT_FALSE(wd::Player::instance().isPlaying());
    EXPECT_FALSE(wd::Player::instance().playingRecording());
}

TEST_F(RecordTest, ExitingTheProgramStopsARecordingAndDropsTheTake) {
    backend->setSpeed(1.0);
    ASSERT_TRUE(begin(2, 22050, 16));
    WDXExitProgram();
    EXPECT_FALSE(wd::Recorder::instance().isRecording());
    EXPECT_EQ(wd::Recorder::instance().recordedTrack(), nullptr);
    EXPECT_EQ(wd::TrackList::instance().count(), 0);
}

TEST(RecordOverview, GivesOnePairPerFullBlockAndOneMoreForWhatIsLeftWhenFinished) {
    struct Case {
        std::vector<int> feeds;
        int pairs;
        int finished;
    };
    for (const Case& c : {Case{{1000, 1000, 1000}, 3, 3}, Case{{700, 1300, 1000}, 3, 3}, Case{{2500}, 2, 3},
                          Case{{999}, 0, 1}, Case{{}, 0, 0}}) {
        SCOPED_TRACE(::testing::PrintToString(c.feeds));
        // Block k runs down from k to k - 1 + 1/1000: its pair is (k - 1 + 1/1000, k),
        // or ends at its last sample when partial.
        std::vector<float> samples;
        for (int feed : c.feeds) {
            for (int i = 0; i < feed; ++i) {
                const auto n = static_cast<int>(samples.size());
                samples.push_back(static_cast<float>(n / 1000) + 1.0f - static_cast<float>(n % 1000) / 1000.0f);
            }
        }
        wd::RecordOverview overview;
        size_t at = 0;
        for (int feed : c.feeds) {
            overview.feed(samples.data() + at, feed);
            at += static_cast<size_t>(feed);
        }
        EXPECT_EQ(overview.pairCount(), c.pairs);
        overview.finish();
        ASSERT_EQ(overview.pairCount(), c.finished);
        for (int k = 0; k < c.finished; ++k) {
            float minimum = 0, maximum = 0;
            ASSERT_EQ(overview.pairs(k, 1, &minimum, &maximum), 1);
            EXPECT_EQ(maximum, static_cast<float>(k + 1));
            EXPECT_EQ(minimum, samples[std::min(samples.size(), static_cast<size_t>(k + 1) * 1000) - 1]);
        }
    }
}

TEST(RecordOverview, GrowsBy131072PairsWhenFullAndKeepsWhatItHeld) {
    wd::RecordOverview overview;
    for (int k = 0; k <= wd::RecordOverview::kCapacityStep; ++k) overview.appendPair(-0.75f, std::max(0.25f, static_cast<float>(k)));
    EXPECT_EQ(overview.capacity(), 2 * wd::RecordOverview::kCapacityStep);
    ASSERT_EQ(overview.pairCount(), wd::RecordOverview::kCapacityStep + 1);
    for (int k : {0, 1, wd::RecordOverview::kCapacityStep - 1, wd::RecordOverview::kCapacityStep}) {
        float minimum = 0, maximum = 0;
        ASSERT_EQ(overview.pairs(k, 1, &minimum, &maximum), 1);
        EXPECT_EQ(minimum, -0.75f);
        EXPECT_EQ(maximum, std::max(0.25f, static_cast<float>(k)));
    }
}

}  // namespace
}  // namespace recordtest
