// The sample queue and the rate-converting reader over libsamplerate.
#include <gtest/gtest.h>

#include <cmath>
#include <tuple>
#include <vector>

#include "model/channel.h"
#include "model/resample_reader.h"
#include "model/sample_queue.h"
#include "support/model_reference.h"
#include "support/sequence_samples.h"
#include "support/signal.h"
#include "support/temp_block_folder.h"

namespace {

using wd::Channel;
using wd::ResampleReader;
using wd::SampleQueue;

TEST(SampleQueue, GrowsInStepsOf2048AndPopsFromTheFrontInOrder) {
    SampleQueue q;
    const auto values = wdtest::staircase(5000);
    q.push(values.data(), 100);
    EXPECT_EQ(q.capacity(), 2048);
    q.push(values.data() + 100, 4000);
    EXPECT_EQ(q.capacity(), 6144);  // the first multiple of 2048 above 4100
    std::vector<float> out(4100);
    EXPECT_EQ(q.pop(out.data(), 30), 30);
    EXPECT_EQ(q.pop(out.data() + 30, 5000), 4070);
    EXPECT_EQ(out, wdtest::staircase(4100));
    EXPECT_EQ(q.pop(out.data(), 10), 0);
}

// A channel holding samples, and everything a reader delivers from it in pieces of n.
class ReaderFixture : public ::testing::Test {
protected:
    void fillWith(const std::vector<float>& samples) { wdtest::fill(channel_.sequence(), samples); }
    std::vector<float> convert(int from, int to, int start, int count, int n = 700) {
        ResampleReader reader;
        EXPECT_TRUE(reader.setSource(&channel_, from));
        EXPECT_TRUE(reader.start(to, start, count));
        std::vector<float> out;
        std::vector<float> piece(static_cast<size_t>(n));
        for (int got; (got = reader.read(piece.data(), n)) > 0;) {
            out.insert(out.end(), piece.begin(), piece.begin() + got);
            if (got < n) {
                // Once short, the reader has given everything.
                EXPECT_EQ(reader.read(piece.data(), n), 0);
                break;
            }
        }
        return out;
    }

    wdtest::ModelTempFolder temp_;
    Channel channel_;
};

TEST_F(ReaderFixture, RangesComeOutAtTheRatioOfTheRatesAndEqualRatesGiveTheSamplesBack) {
    const auto source = wdtest::sine(1, 48000, 9000, {500.0}, 0.5);
    fillWith(source);
    EXPECT_NEAR(static_cast<double>(convert(48000, 16000, 3000, 3000).size()), 1000.0, 2.0);
    EXPECT_NEAR(static_cast<double>(convert(48000, 16000, 3000, 100000).size()), 2000.0, 2.0);  // to the end
    EXPECT_NEAR(static_cast<double>(convert(48000, 16000, 3000, -1, 1).size()), 2000.0, 2.0);
    const auto same = convert(48000, 48000, 0, -1);
    ASSERT_NEAR(static_cast<double>(same.size()), 9000.0, 1.0);
    // Away from the edges, where the filter sees the whole signal, the samples come back.
    for (size_t i = 200; i + 200 < same.size(); ++i) ASSERT_NEAR(same[i], source[i], 1e-3) << i;
}

TEST_F(ReaderFixture, TwoChannelsTogetherGiveWhatEachGivesAloneTheShorterPaddedWithSilence) {
    const auto first = wdtest::sine(1, 22050, 9000, {300.0}, 0.5);
    const auto second = wdtest::sine(1, 22050, 6000, {700.0}, 0.5);
    fillWith(first);
    Channel other;
    wdtest::fill(other.sequence(), second);
    const auto alone = convert(22050, 44100, 0, -1);
    ResampleReader both;
    ASSERT_TRUE(both.setSources(&channel_, &other, 22050));
    ASSERT_TRUE(both.start(44100, 0, -1));
    std::vector<float> a(30000), b(30000);
    const int n = both.read(a.data(), b.data(), 30000);
    ASSERT_EQ(n, static_cast<int>(alone.size()));
    for (int i = 0; i < n; ++i) ASSERT_NEAR(a[static_cast<size_t>(i)], alone[static_cast<size_t>(i)], 1e-6) << i;
    // The second channel's own 12,000 samples, then silence (the filter's ring aside).
    EXPECT_NEAR(wdtest::dominantFrequency(std::vector<float>(b.begin(), b.begin() + 12000), 44100), 700.0, 0.5);
    EXPECT_LT(wdtest::rms(std::vector<float>(b.begin() + 12200, b.begin() + n)), 1e-3);
    EXPECT_EQ(both.read(a.data(), b.data(), 10), 0);
    EXPECT_EQ(both.read(a.data(), 10), 0) << "two channels are read in pairs";
}

TEST_F(ReaderFixture, RatesTheConverterCannotTakeDeliverNothing) {
    fillWith(wdtest::staircase(5000));
    for (auto [from, to, start] : {std::tuple{0, 44100, 0}, {44100, -5, 0}, {100, 44100, 0}, {44100, 44100, 6000}}) {
        EXPECT_TRUE(convert(from, to, start, -1).empty()) << from << " to " << to << " from " << start;
    }
    ResampleReader unset;
    EXPECT_FALSE(unset.setSource(nullptr, 44100));
    float x = 0;
    EXPECT_EQ(unset.read(&x, 1), 0);
}

}  // namespace
