// Sample conversion: scale factors, clamping, round trips and interleaving.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "model/sample_converter.h"
#include "model/track.h"
#include "support/model_reference.h"
#include "support/temp_block_folder.h"

namespace {

using wd::SampleConverter;

TEST(SampleConverter, EightBitEndsAndMiddleGiveMinusOneZeroAndOne) {
    const uint8_t in[3] = {0, 128, 255};
    float out[3];
    SampleConverter::pcm8ToFloat(in, 3, out);
    EXPECT_EQ(out[0], -1.0f);
    EXPECT_EQ(out[1], 0.0f);
    EXPECT_EQ(out[2], 1.0f);
}

TEST(SampleConverter, SixteenBitEndsAndMiddleGiveMinusOneZeroAndOne) {
    const int16_t in[3] = {-32768, 0, 32767};
    float out[3];
    SampleConverter::pcm16ToFloat(in, 6, out);
    EXPECT_EQ(out[0], -1.0f);
    EXPECT_EQ(out[1], 0.0f);
    EXPECT_EQ(out[2], 1.0f);
}

TEST(SampleConverter, FloatsAreClampedInPlaceThenScaledBy32767Point5AndTruncated) {
    float in[6] = {1.5f, -2.0f, 1.0f, -1.0f, 0.5f, std::numeric_limits<float>::quiet_NaN()};
    int16_t out[6];
    EXPECT_EQ(SampleConverter::floatToPcm16(in, 24, out), 6);
    EXPECT_EQ(out[0], 32767);
    EXPECT_EQ(in[0], 1.0f);
    EXPECT_EQ(out[1], -32767);
    EXPECT_EQ(in[1], -1.0f);
    EXPECT_EQ(out[2], 32767);
    EXPECT_EQ(out[3], -32767);
    EXPECT_EQ(out[4], 16383);
    EXPECT_EQ(out[5], 0);
    EXPECT_EQ(in[5], 0.0f);
    EXPECT_EQ(SampleConverter::floatToPcm16(in, 3, out), 0);
}

TEST(SampleConverter, EverySixteenBitValueSurvivesARoundTripExceptNegativesThatMoveOneStepToZero) {
    std::vector<int16_t> all(65536);
    for (int v = -32768; v <= 32767; ++v) all[static_cast<size_t>(v + 32768)] = static_cast<int16_t>(v);
    std::vector<float> f(all.size());
    SampleConverter::pcm16ToFloat(all.data(), static_cast<int>(all.size() * 2), f.data());
    std::vector<int16_t> back(all.size());
    ASSERT_EQ(SampleConverter::floatToPcm16(f.data(), static_cast<int>(f.size() * 4), back.data()), 65536);
    for (int v = -32768; v <= 32767; ++v) {
        const int expected = v >= 0 ? v : v + 1;
        ASSERT_EQ(back[static_cast<size_t>(v + 32768)], expected) << v;
    }
}

TEST(SampleConverter, InterleavingTwoByteSamplesOfEightBytesWritesFourPairs) {
    const int16_t a[4] = {1, 2, 3, 4};
    const int16_t b[4] = {-1, -2, -3, -4};
    int16_t out[10];
    std::fill(std::begin(out), std::end(out), 99);
    EXPECT_EQ(SampleConverter::interleavePair(a, b, 2, 8, out), 4);
    EXPECT_EQ(std::vector<int16_t>(out, out + 10), (std::vector<int16_t>{1, -1, 2, -2, 3, -3, 4, -4, 99, 99}));
}

TEST(SampleConverter, InterleavingHandlesEachUnitSizeAndNothingForACountOfZero) {
    const uint8_t a8[3] = {1, 2, 3}, b8[3] = {4, 5, 6};
    uint8_t o8[8] = {};
    EXPECT_EQ(SampleConverter::interleavePair(a8, b8, 1, 3, o8), 3);
    EXPECT_EQ(std::vector<uint8_t>(o8, o8 + 7), (std::vector<uint8_t>{1, 4, 2, 5, 3, 6, 0}));
    const float af[2] = {0.5f, -0.5f}, bf[2] = {0.25f, -0.25f};
    float of[5] = {9, 9, 9, 9, 9};
    EXPECT_EQ(SampleConverter::interleavePair(af, bf, 5, 8, of), 2);
    EXPECT_EQ(std::vector<float>(of, of + 5), (std::vector<float>{0.5f, 0.25f, -0.5f, -0.25f, 9}));
    uint8_t untouched[2] = {7, 7};
    EXPECT_EQ(SampleConverter::interleavePair(a8, b8, 0, 0, untouched), 0);
    EXPECT_EQ(SampleConverter::interleavePair(a8, b8, 3, -4, untouched), 0);
    EXPECT_EQ(SampleConverter::interleavePair(a8, b8, 7, 3, untouched), 0);
    EXPECT_EQ(untouched[0], 7);
}

TEST(SampleConverter, DeinterleavingSendsEvenUnitsToTheFirstAndOddUnitsToTheSecond) {
    const int16_t in[5] = {1, -1, 2, -2, 3};
    int16_t a[3] = {}, b[3] = {};
    EXPECT_EQ(SampleConverter::deinterleavePair(in, 10, 10, a, b), 5);
    EXPECT_EQ(std::vector<int16_t>(a, a + 3), (std::vector<int16_t>{1, 2, 3}));
    EXPECT_EQ(std::vector<int16_t>(b, b + 3), (std::vector<int16_t>{-1, -2, 0}));
    const uint8_t in8[4] = {1, 2, 3, 4};
    uint8_t a8[2], b8[2];
    EXPECT_EQ(SampleConverter::deinterleavePair(in8, 8, 4, a8, b8), 4);
    EXPECT_EQ(a8[1], 3);
    EXPECT_EQ(b8[1], 4);
    const float inf[4] = {1, 2, 3, 4};
    float af[2], bf[2];
    EXPECT_EQ(SampleConverter::deinterleavePair(inf, 14, 16, af, bf), 4);
    EXPECT_EQ(bf[1], 4.0f);
    EXPECT_EQ(SampleConverter::deinterleavePair(inf, 2, 16, af, bf), 0);
    EXPECT_EQ(SampleConverter::deinterleavePair(inf, 12, -16, af, bf), 0);
}

TEST(SampleConverter, AChannelReadAs16BitDeliversWhatExistsFromStart) {
    wdtest::ModelTempFolder temp;
    wd::Track t;
    t.setChannelCount(1);
    std::vector<float> data(1000);
    for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<float>(i) / 1000.0f;
    t.channel(0)->sequence().appendSamples(data.data(), 1000);
    t.channel(0)->sequence().flushAppend();
    std::vector<int16_t> out(20, 99);
    EXPECT_EQ(SampleConverter::readChannelPcm16(*t.channel(0), out.data(), 990, 20), 10);
    EXPECT_EQ(out[0], static_cast<int16_t>(0.99f * 32767.5f));
    EXPECT_EQ(out[10], 99);
    EXPECT_EQ(SampleConverter::readChannelPcm16(*t.channel(0), out.data(), -5, 20), 0);
    EXPECT_EQ(SampleConverter::readChannelPcm16(*t.channel(0), out.data(), 0, 0), 0);
}

}  // namespace

namespace {

// Truncation must see the exact product: a float product rounds up to the next integer
// for about 33,000 inputs, 0x38000080 (just below 1/32767.5) among them.
TEST(SampleConverter, TheScaleIsTruncatedFromTheExactProduct) {
    uint32_t bits = 0x38000080;
    float x;
    std::memcpy(&x, &bits, sizeof x);
    ASSERT_LT(static_cast<double>(x) * 32767.5, 1.0);
    float in[4] = {x, -x, std::nextafter(1.0f, 0.0f), 0.5f};
    int16_t out[4];
    ASSERT_EQ(wd::SampleConverter::floatToPcm16(in, static_cast<int>(sizeof in), out), 4);
    EXPECT_EQ(out[0], 0);
    EXPECT_EQ(out[1], 0);
    EXPECT_EQ(out[2], static_cast<int16_t>(static_cast<double>(std::nextafter(1.0f, 0.0f)) * 32767.5));
    EXPECT_EQ(out[3], 16383);
}

}  // namespace
