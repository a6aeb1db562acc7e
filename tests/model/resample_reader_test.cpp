// The sample queue and the rate-converting reader over libsamplerate.
#include <gtest/gtest.h>

#include <cmath>
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
    std::vector<float> out(30);
    EXPECT_EQ(q.pop(out.data(), 30), 30);
    EXPECT_EQ(out, wdtest::staircase(30));
    // What is left moved to the front, in order.
    std::vector<float> rest(5000);
    EXPECT_EQ(q.pop(rest.data(), 5000), 4070);
    rest.resize(4070);
    EXPECT_EQ(rest, wdtest::staircase(4070, 30));
    EXPECT_EQ(q.pop(rest.data(), 10), 0);
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

TEST_F(ReaderFixture, EqualRatesGiveTheSourceSamplesBack) {
    const auto source = wdtest::sine(1, 44100, 10000, {1000.0}, 0.5);
    fillWith(source);
    const auto out = convert(44100, 44100, 0, -1);
    ASSERT_NEAR(static_cast<double>(out.size()), 10000.0, 1.0);
    // Away from the edges, where the filter sees the whole signal, the samples come back.
    for (size_t i = 200; i + 200 < out.size(); ++i) ASSERT_NEAR(out[i], source[i], 1e-3) << i;
}

TEST_F(ReaderFixture, DoublingTheRateGivesTwiceTheSamplesAtTheSamePitchWithTheTailPresent) {
    const int n = 22050 + 333;
    fillWith(wdtest::sine(1, 22050, static_cast<size_t>(n), {441.0}, 0.5));
    const auto out = convert(22050, 44100, 0, -1);
    // The converter is drained at the end of input: nothing of the last samples is lost.
    EXPECT_NEAR(static_cast<double>(out.size()), 2.0 * n, 2.0);
    EXPECT_NEAR(wdtest::dominantFrequency(out, 44100), 441.0, 0.5);
    const std::vector<float> tail(out.end() - 1000, out.end() - 50);
    EXPECT_NEAR(wdtest::rms(tail), 0.5 / std::sqrt(2.0), 0.02);
}

TEST_F(ReaderFixture, ARangeIsConvertedAndACountPastTheEndStopsAtTheEnd) {
    fillWith(wdtest::sine(1, 48000, 9000, {500.0}, 0.5));
    EXPECT_NEAR(static_cast<double>(convert(48000, 16000, 3000, 3000).size()), 1000.0, 2.0);
    EXPECT_NEAR(static_cast<double>(convert(48000, 16000, 3000, 100000).size()), 2000.0, 2.0);
    EXPECT_NEAR(static_cast<double>(convert(48000, 16000, 3000, -1, 1).size()), 2000.0, 2.0);
}

TEST_F(ReaderFixture, RatesTheConverterCannotTakeDeliverNothing) {
    fillWith(wdtest::staircase(5000));
    EXPECT_TRUE(convert(0, 44100, 0, -1).empty());
    EXPECT_TRUE(convert(44100, -5, 0, -1).empty());
    EXPECT_TRUE(convert(100, 44100, 0, -1).empty());  // a ratio above 256
    EXPECT_TRUE(convert(44100, 44100, 6000, -1).empty());
    ResampleReader unset;
    EXPECT_FALSE(unset.setSource(nullptr, 44100));
    EXPECT_TRUE(unset.start(44100, 0, -1));
    float x = 0;
    EXPECT_EQ(unset.read(&x, 1), 0);
}

}  // namespace
