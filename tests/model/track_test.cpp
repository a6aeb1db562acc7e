// Tracks: channels, time texts, refreshView and the display columns.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "model/time_text.h"
#include "model/time_text_receiver.h"
#include "model/track.h"
#include "support/model_reference.h"
#include "support/temp_block_folder.h"

namespace {

using wd::Channel;
using wd::TimeTextSlot;
using wd::TimeTextStyle;
using wd::Track;
using wdtest::staircase;

// Records the texts a track reports, in order, while installed.
class CapturedTimes : public wd::TimeTextReceiver {
public:
    CapturedTimes() : previous_(installed()) { install(this); }
    ~CapturedTimes() override { install(previous_); }
    void receiveTimeText(TimeTextSlot slot, const char* text) override { texts.emplace_back(static_cast<int>(slot), text); }
    std::vector<std::pair<int, std::string>> texts;

private:
    wd::TimeTextReceiver* previous_;
};

using Texts = std::vector<std::pair<int, std::string>>;

void fillChannel(Channel& c, const std::vector<float>& samples) {
    ASSERT_EQ(c.sequence().appendSamples(samples.data(), static_cast<int>(samples.size())), static_cast<int>(samples.size()));
    ASSERT_GE(c.sequence().flushAppend(), 0);
}

TEST(TimeText, OneSecondShowsAs00Colon01Point000Or00Colon01Colon000) {
    EXPECT_EQ(wd::timeText(44100, 44100, TimeTextStyle::Point), "00:01.000");
    EXPECT_EQ(wd::timeText(44100, 44100, TimeTextStyle::Colon), "00:01:000");
}

TEST(TimeText, MinutesSecondsAndMillisecondsTruncateAndLongTimesTakeMoreDigits) {
    EXPECT_EQ(wd::timeText(2646000, 44100, TimeTextStyle::Point), "01:00.000");
    EXPECT_EQ(wd::timeText(44099, 44100, TimeTextStyle::Point), "00:00.999");
    EXPECT_EQ(wd::timeText(44100LL * 60 * 100 + 22050, 44100, TimeTextStyle::Colon), "100:00:500");
    EXPECT_EQ(wd::timeText(0, 8000, TimeTextStyle::Point), "00:00.000");
    EXPECT_EQ(wd::timeText(12345, 0, TimeTextStyle::Point), "00:00.000");
}

TEST(Track, ACursorSendsItsTimeAsStartAndEndAndALengthOfZero) {
    CapturedTimes captured;
    Track t;
    t.reportSelectionTimes(44100, 0);
    EXPECT_EQ(captured.texts, (Texts{{6, "00:01.000"}, {0, "00:01.000"}, {1, "00:01.000"}, {2, "00:00.000"}}));
}

TEST(Track, ASelectionSendsItsEndAndLengthWithAColonBeforeTheMilliseconds) {
    CapturedTimes captured;
    Track t;
    t.reportSelectionTimes(44100, 22050);
    EXPECT_EQ(captured.texts, (Texts{{6, "00:01.000"}, {0, "00:01.000"}, {1, "00:01:500"}, {2, "00:00:500"}}));
}

TEST(Track, ANegativeLengthOnlyUpdatesTheTimeWindow) {
    CapturedTimes captured;
    Track t;
    t.reportSelectionTimes(88200, -1);
    EXPECT_EQ(captured.texts, (Texts{{6, "00:02.000"}}));
}

TEST(Track, ViewTimesAreTheStartTheEndAndTheSpanOfTheView) {
    CapturedTimes captured;
    Track t;
    t.samplesPerColumn = 100;
    t.viewColumns = 441;
    t.viewStart = 44100;
    t.reportViewTimes(-1);
    t.reportViewTimes(0);
    EXPECT_EQ(captured.texts, (Texts{{3, "00:01:000"}, {4, "00:02:000"}, {5, "00:01:000"},  //
                                     {3, "00:00:000"}, {4, "00:01:000"}, {5, "00:01:000"}}));
}

TEST(Track, ChannelCountsOtherThanOneOrTwoAreRefused) {
    Track t;
    EXPECT_EQ(t.channelCount(), 0);
    EXPECT_EQ(t.channel(0), nullptr);
    EXPECT_EQ(t.setChannelCount(2), 2);
    EXPECT_NE(t.channel(1), nullptr);
    EXPECT_EQ(t.setChannelCount(3), -1);
    EXPECT_EQ(t.setChannelCount(0), -1);
    EXPECT_EQ(t.channelCount(), 2);
    EXPECT_EQ(t.channel(2), nullptr);
    EXPECT_EQ(t.channel(-1), nullptr);
    EXPECT_EQ(t.setChannel(2, std::make_unique<Channel>()), -1);
    EXPECT_EQ(t.setChannelCount(1), 1);
    EXPECT_EQ(t.channel(1), nullptr);
    EXPECT_EQ(t.channel(0)->selectedFlag, true);
}

TEST(Track, TheLengthIsTheLongerChannels) {
    wdtest::ModelTempFolder temp;
    Track t;
    t.setChannelCount(2);
    fillChannel(*t.channel(0), staircase(100));
    fillChannel(*t.channel(1), staircase(300));
    EXPECT_EQ(t.length(), 300);
    auto replacement = std::make_unique<Channel>();
    fillChannel(*replacement, staircase(50));
    EXPECT_EQ(t.setChannel(1, std::move(replacement)), 0);
    EXPECT_EQ(t.length(), 100);
    EXPECT_EQ(temp.blockFileCount(), 2);
}

TEST(Track, RefreshingAThousandSampleTrackAtZoom4HalvesTheZoomTo1AndShowsTwoSamplesPerColumn) {
    wdtest::ModelTempFolder temp;
    CapturedTimes captured;
    Track t;
    t.setChannelCount(1);
    fillChannel(*t.channel(0), staircase(1000));
    t.viewColumns = 585;
    t.zoomFactor = 4;
    t.refreshView();
    EXPECT_EQ(t.zoomFactor, 1);
    EXPECT_EQ(t.samplesPerColumn, 2);
    EXPECT_EQ(t.fitSamplesPerColumn, 2);
    const auto& cols = t.channel(0)->columns();
    EXPECT_EQ(cols.count(), 500);
    EXPECT_EQ(cols.mins[0], 0.0f);
    EXPECT_EQ(cols.maxs[0], 1.0f);
    EXPECT_EQ(cols.maxs[499], 999.0f);
    // The selection times of channel 0 were sent.
    EXPECT_EQ(captured.texts.size(), 4u) << "the cursor and the three selection texts";
}

TEST(Track, RefreshKeepsAZoomTheTrackFillsAndComputesItsSamplesPerColumn) {
    wdtest::ModelTempFolder temp;
    Track t;
    t.setChannelCount(1);
    fillChannel(*t.channel(0), staircase(234000));
    t.viewColumns = 585;
    t.zoomFactor = 4;
    t.viewStart = 100;
    t.refreshView();
    EXPECT_EQ(t.zoomFactor, 4);
    EXPECT_EQ(t.samplesPerColumn, 100);
    EXPECT_EQ(t.fitSamplesPerColumn, 400);
    EXPECT_EQ(t.viewStart, 100);
    EXPECT_EQ(t.channel(0)->columns().firstSample, 100);
    EXPECT_EQ(t.channel(0)->columns().mins[0], 100.0f);
    // A view start from which the view would run past the end goes back to 0.
    t.viewStart = 234000 - 585 * 100 + 1;
    t.refreshView();
    EXPECT_EQ(t.viewStart, 0);
}

TEST(Track, RefreshCutsASelectionThatRunsPastTheEndToEndOneSampleBeforeIt) {
    wdtest::ModelTempFolder temp;
    Track t;
    t.setChannelCount(2);
    fillChannel(*t.channel(0), staircase(1000));
    fillChannel(*t.channel(1), staircase(1000));
    Channel& a = *t.channel(0);
    Channel& b = *t.channel(1);
    a.selStart = 990;
    a.selLength = 20;
    b.selStart = 990;
    b.selLength = 10;
    t.refreshView();
    EXPECT_EQ(a.selLength, 9);
    EXPECT_EQ(b.selLength, 10);  // ends exactly at the end: stays
    a.selStart = 1000;
    a.selLength = 0;
    b.selStart = -5;
    b.selLength = -3;
    t.refreshView();
    EXPECT_EQ(a.selStart, 999);
    EXPECT_EQ(a.selLength, 0);
    EXPECT_EQ(b.selStart, 0);
    EXPECT_EQ(b.selLength, 0);
}

TEST(Track, RefreshingAnEmptyTrackKeepsAtLeastOneSamplePerColumnAndTheOldColumns) {
    wdtest::ModelTempFolder temp;
    Track t;
    t.setChannelCount(1);
    fillChannel(*t.channel(0), staircase(600));
    t.refreshView();
    const int before = t.channel(0)->columns().count();
    ASSERT_GT(before, 0);
    Track empty;
    empty.setChannelCount(1);
    empty.channel(0)->selStart = 5000;
    empty.refreshView();
    EXPECT_EQ(empty.samplesPerColumn, 1);
    EXPECT_EQ(empty.channel(0)->selStart, 2047);
    EXPECT_EQ(empty.channel(0)->columns().count(), 0);
    // A read of nothing (a view start past the end) leaves the previous columns in place.
    t.viewStart = 10000;
    t.channel(0)->updateColumns(2, 0, t);
    EXPECT_EQ(t.channel(0)->columns().count(), before);
    t.viewColumns = 0;
    t.refreshView();
    EXPECT_GE(t.samplesPerColumn, 1);
}

class Columns : public ::testing::Test {
protected:
    void SetUp() override {
        track.setChannelCount(1);
        data = staircase(200000);
        fillChannel(*track.channel(0), data);
        track.viewColumns = 585;
        track.samplesPerColumn = 100;
        track.viewStart = 30000;
        channel().viewColumns = 585;
        channel().updateColumns(2, 0, track);
    }
    Channel& channel() { return *track.channel(0); }
    // The columns must equal a fresh read of count columns from firstSample.
    void expectFreshRead() {
        const auto& c = channel().columns();
        for (int i = 0; i < c.count(); ++i) {
            const int64_t from = c.firstSample + static_cast<int64_t>(i) * track.samplesPerColumn;
            ASSERT_EQ(c.mins[static_cast<size_t>(i)], data[static_cast<size_t>(from)]) << i;
            ASSERT_EQ(c.maxs[static_cast<size_t>(i)], data[static_cast<size_t>(from + track.samplesPerColumn - 1)]) << i;
        }
    }
    wdtest::ModelTempFolder temp;
    Track track;
    std::vector<float> data;
};

TEST_F(Columns, ZoomRebuildsReadTheViewFromItsStart) {
    EXPECT_EQ(channel().columns().count(), 585);
    EXPECT_EQ(channel().columns().firstSample, 30000);
    EXPECT_EQ(channel().columns().drawOffset, 0);
    expectFreshRead();
}

TEST_F(Columns, ScrollingForwardReadsOnlyTheEnteringColumns) {
    channel().updateColumns(0, 10, track);
    EXPECT_EQ(channel().columns().firstSample, 31000);
    EXPECT_EQ(channel().columns().count(), 585);
    expectFreshRead();
}

TEST_F(Columns, ScrollingBackReadsOnlyTheEnteringColumnsAndStopsAtTheStart) {
    channel().updateColumns(1, 20, track);
    EXPECT_EQ(channel().columns().firstSample, 28000);
    EXPECT_EQ(channel().columns().count(), 585);
    expectFreshRead();
    // Only 280 columns lie before the view: the scroll stops at sample 0.
    channel().updateColumns(1, 500, track);
    EXPECT_EQ(channel().columns().firstSample, 0);
    EXPECT_EQ(channel().columns().count(), 585);
    expectFreshRead();
}

TEST_F(Columns, ScrollingByTheWholeCountRebuildsFromTheViewStart) {
    track.viewStart = 50000;
    channel().updateColumns(0, 585, track);
    EXPECT_EQ(channel().columns().firstSample, 50000);
    expectFreshRead();
    track.viewStart = 1000;
    channel().updateColumns(1, -3, track);
    EXPECT_EQ(channel().columns().firstSample, 1000);
    expectFreshRead();
}

TEST_F(Columns, FitReadsTheWholeTrackFromSampleZero) {
    track.samplesPerColumn = 342;  // 200,000 / 585 rounded up
    channel().updateColumns(4, 0, track);
    EXPECT_EQ(channel().columns().count(), 585);
    EXPECT_EQ(channel().columns().firstSample, 0);
    EXPECT_EQ(channel().columns().maxs[584], 199999.0f);
}

TEST_F(Columns, AViewWiderThanTheColumnArraysIsCutToItsSize) {
    track.samplesPerColumn = 2;
    channel().viewColumns = 5000;
    channel().updateColumns(3, 0, track);
    EXPECT_EQ(channel().columns().count(), wd::DisplayColumns::kMaxColumns);
    track.samplesPerColumn = 1;
    channel().updateColumns(4, 0, track);
    EXPECT_EQ(channel().columns().count(), wd::DisplayColumns::kMaxColumns);
    channel().updateColumns(1, 100, track);
    EXPECT_LE(channel().columns().count(), wd::DisplayColumns::kMaxColumns);
    EXPECT_EQ(channel().columns().setCount(2049), -1);
    EXPECT_EQ(channel().columns().setCount(0), -1);
}

TEST_F(Columns, OtherModesChangeNothing) {
    const auto before = channel().columns().mins;
    channel().updateColumns(5, 3, track);
    channel().updateColumns(-1, 3, track);
    EXPECT_EQ(channel().columns().mins, before);
    EXPECT_EQ(channel().columns().firstSample, 30000);
}

TEST(Track, AnAssignedTrackSharesTheBlocksAndCopiesEveryField) {
    wdtest::ModelTempFolder temp;
    Track a;
    a.setChannelCount(2);
    fillChannel(*a.channel(0), staircase(1000));
    fillChannel(*a.channel(1), staircase(2000));
    a.channel(1)->selStart = 7;
    a.channel(1)->selLength = 3;
    a.channel(1)->selectedFlag = false;
    a.channel(0)->viewRecord.sampleRate = 22050;
    a.setName("/music/a.wav");
    a.setId(42);
    a.sampleRate = 22050;
    a.viewStart = 11;
    a.zoomFactor = 8;
    {
        Track b;
        b.setChannelCount(1);
        ASSERT_TRUE(b.assignFrom(&a));
        EXPECT_EQ(b.channelCount(), 2);
        EXPECT_EQ(b.name(), "/music/a.wav");
        EXPECT_EQ(b.id(), 42u);
        EXPECT_EQ(b.sampleRate, 22050);
        EXPECT_EQ(b.viewStart, 11);
        EXPECT_EQ(b.zoomFactor, 8);
        EXPECT_EQ(b.channel(1)->selStart, 7);
        EXPECT_EQ(b.channel(1)->selLength, 3);
        EXPECT_FALSE(b.channel(1)->selectedFlag);
        EXPECT_EQ(b.channel(0)->viewRecord.sampleRate, 22050);
        EXPECT_EQ(b.channel(1)->sequence().blockInfo()[0].serial, a.channel(1)->sequence().blockInfo()[0].serial);
        EXPECT_EQ(temp.blockFileCount(), 2);
        // A mono track assigned into b drops its second channel; a keeps the blocks.
        Track mono;
        mono.setChannelCount(1);
        ASSERT_TRUE(b.assignFrom(&mono));
        EXPECT_EQ(b.channel(1), nullptr);
        EXPECT_EQ(b.channelCount(), 1);
        EXPECT_FALSE(b.assignFrom(nullptr));
        Track c;
        ASSERT_TRUE(a.copyTo(&c));
        EXPECT_EQ(c.length(), 2000);
    }
    EXPECT_EQ(temp.blockFileCount(), 2);
    std::vector<float> out(2000);
    EXPECT_EQ(a.channel(1)->sequence().readSamples(out.data(), 0, 2000), 2000);
    EXPECT_EQ(out, staircase(2000));
}

}  // namespace
