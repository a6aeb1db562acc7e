// The level of queued buffers: records, the measure interval and the folded result; and
// the meter values a play of a known signal leaves in the volume window.
#include <gtest/gtest.h>

#include "audio/level_meter.h"
#include "play_fixture.h"
#include "ui/volume_window.h"

namespace playtest {
namespace {

using wd::LevelMeter;
using wd::LevelRecord;

constexpr int kBytes = wd::Player::kBufferBytes;

std::vector<int16_t> constantBuffer(int value) { return std::vector<int16_t>(kBytes / 2, static_cast<int16_t>(value)); }

TEST(LevelMeter, AStereoBufferGivesPeakAndMeanOfTheAbsoluteValuesPerChannel) {
    std::vector<int16_t> buffer(kBytes / 2);
    for (size_t i = 0; i < buffer.size() / 2; ++i) {
        buffer[2 * i] = static_cast<int16_t>(i % 2 ? -1000 : 3000);  // |.| alternates 3000, 1000
        buffer[2 * i + 1] = -32768;
    }
    LevelMeter meter;
    meter.start(44100 * 4, kBytes);
    LevelRecord level;
    ASSERT_TRUE(meter.measure(buffer.data(), kBytes, 2, level));
    EXPECT_EQ(level.peakLeft, 3000);
    EXPECT_EQ(level.meanLeft, 2000);
    EXPECT_EQ(level.peakRight, 32768);
    EXPECT_EQ(level.meanRight, 32768);
}

TEST(LevelMeter, AMonoBufferIsMeasuredOverItsFirstHalfForBothSides) {
    std::vector<int16_t> buffer(kBytes / 2);
    for (size_t i = 0; i < buffer.size(); ++i) {
        const int magnitude = i < buffer.size() / 2 ? 2000 : 9000;
        buffer[i] = static_cast<int16_t>(i % 2 ? -magnitude : magnitude);
    }
    LevelMeter meter;
    meter.start(44100 * 2, kBytes);
    LevelRecord level;
    ASSERT_TRUE(meter.measure(buffer.data(), kBytes, 1, level));
    EXPECT_EQ(level.peakLeft, 2000);
    EXPECT_EQ(level.meanLeft, 2000);
    EXPECT_EQ(level.peakRight, 2000);
    EXPECT_EQ(level.meanRight, 2000);
}

TEST(LevelMeter, TheIntervalIsTheBuffersPerTenthOfASecondRoundedUp) {
    LevelMeter meter;
    meter.start(44100 * 4, kBytes);  // 17640 bytes per tenth
    EXPECT_EQ(meter.interval(), 1);
    meter.start(96000 * 4, kBytes);  // 38400: 1.875 buffers
    EXPECT_EQ(meter.interval(), 2);
    meter.start(192000 * 4, kBytes);  // 76800: 3.75 buffers
    EXPECT_EQ(meter.interval(), 4);
    meter.start(204800, kBytes);  // exactly one buffer
    EXPECT_EQ(meter.interval(), 1);
    meter.start(0, kBytes);
    EXPECT_EQ(meter.interval(), 1);
}

TEST(LevelMeter, EveryIntervalTheQueueIsFoldedIntoLargestPeaksAndHalvedRunningMeans) {
    LevelMeter meter;
    meter.start(192000 * 2, kBytes);  // 38400 bytes per tenth: every second buffer
    ASSERT_EQ(meter.interval(), 2);
    LevelRecord level;
    auto b100 = constantBuffer(100), b200 = constantBuffer(-200), b300 = constantBuffer(300), b400 = constantBuffer(400);
    ASSERT_TRUE(meter.measure(b100.data(), kBytes, 1, level));  // the counter starts at 0
    EXPECT_EQ(level.meanLeft, 100);
    EXPECT_FALSE(meter.measure(b300.data(), kBytes, 1, level));
    ASSERT_TRUE(meter.measure(b200.data(), kBytes, 1, level));
    EXPECT_EQ(level.peakLeft, 300);
    EXPECT_EQ(level.meanLeft, (300 + 200) >> 1);
    EXPECT_FALSE(meter.measure(b400.data(), kBytes, 1, level));
    ASSERT_TRUE(meter.measure(b100.data(), kBytes, 1, level));
    EXPECT_EQ(level.peakRight, 400);
    EXPECT_EQ(level.meanRight, (400 + 100) >> 1);

    meter.start(768000, kBytes);  // every fourth buffer: means 300, 200, 400 fold in turn
    ASSERT_TRUE(meter.measure(b100.data(), kBytes, 1, level));
    EXPECT_FALSE(meter.measure(b300.data(), kBytes, 1, level));
    EXPECT_FALSE(meter.measure(b200.data(), kBytes, 1, level));
    EXPECT_FALSE(meter.measure(b400.data(), kBytes, 1, level));
    ASSERT_TRUE(meter.measure(b100.data(), kBytes, 1, level));
    EXPECT_EQ(level.peakLeft, 400);
    EXPECT_EQ(level.meanLeft, (((((300 + 200) >> 1) + 400) >> 1) + 100) >> 1);
}

/** The volume window's smoothing, as a reference: new * 0.1 + v * 0.9, truncated. */
int smoothed(int newValue, int value) { return static_cast<int>(newValue * 0.1 + value * 0.9); }

/** Brings the volume window's values to 0 (zero input decays them geometrically). */
void settleVolumeWindow() {
    for (int i = 0; i < 400; ++i) wd::VolumeWindow::instance().setLevels(0, 0, 0, 0);
    const wd::VolumeWindow::Levels levels = wd::VolumeWindow::instance().levels();
    ASSERT_EQ(levels.peakLeft + levels.meanLeft + levels.peakRight + levels.meanRight, 0);
}

TEST_F(PlayerTest, APlayOfAKnownSignalFeedsTheVolumeWindowItsMeasuredLevels) {
    settleVolumeWindow();
    // Left a constant 1000; right alternating 3000 and -1000 (mean of |.| 2000). Exactly
    // two buffers of 5120 frames: buffers 0 and 1 carry the signal, buffer 2 and the
    // refill of buffer 0 are silent, and buffer 1 ends the range, so four are measured.
    const int frames = 2 * kStereoFrames;
    std::vector<float> left(frames), right(frames);
    for (int i = 0; i < frames; ++i) {
        left[static_cast<size_t>(i)] = sampleFor(1000);
        right[static_cast<size_t>(i)] = sampleFor(i % 2 ? -1000 : 3000);
    }
    wd::Track track;
    fillTrack(track, {left, right});
    ASSERT_TRUE(player.play(track, wd::Player::kPlaySelection, false));
    ASSERT_TRUE(waitForStop());

    const LevelRecord signal{1000, 1000, 3000, 2000};
    const LevelRecord silence{};
    wd::VolumeWindow::Levels expected;
    for (const LevelRecord& record : {signal, signal, silence, silence}) {
        expected.peakLeft = smoothed(record.peakLeft, expected.peakLeft);
        expected.meanLeft = smoothed(record.meanLeft, expected.meanLeft);
        expected.peakRight = smoothed(record.peakRight, expected.peakRight);
        expected.meanRight = smoothed(record.meanRight, expected.meanRight);
    }
    const wd::VolumeWindow::Levels got = wd::VolumeWindow::instance().levels();
    EXPECT_EQ(got.peakLeft, expected.peakLeft);
    EXPECT_EQ(got.meanLeft, expected.meanLeft);
    EXPECT_EQ(got.peakRight, expected.peakRight);
    EXPECT_EQ(got.meanRight, expected.meanRight);
    EXPECT_EQ(got.peakLeft, 153);  // 100, 190, 171, 153 (each truncated)
}

}  // namespace
}  // namespace playtest
