// The vectorised sample loops against libsndfile's conversions and the in-order fold,
// over lengths that leave every tail.
#include <gtest/gtest.h>
#include <sndfile.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "platform/simd/sample_kernels.h"
#include "support/temp_dir.h"

namespace {

// Floats at the edges of the 16-bit conversion: clips, halves between steps, tiny values.
std::vector<float> edgyFloats(size_t count) {
    std::vector<float> v{1.0f, -1.0f, 2.0f, -2.0f, std::numeric_limits<float>::infinity(),
                         -std::numeric_limits<float>::infinity(), 0.0f, -0.0f, 32767.5f / 32768.0f,
                         0.5f / 32768.0f, -0.5f / 32768.0f, 1.5f / 32768.0f, -1.5f / 32768.0f, 1e-12f, -1e-12f,
                         std::nextafter(1.0f, 0.0f), std::nextafter(-1.0f, 0.0f), -0.75f / 2147483648.0f};
    std::mt19937 random(7);
    std::uniform_real_distribution<float> wide(-1.2f, 1.2f);
    while (v.size() < count) v.push_back(v.size() % 3 ? wide(random) : std::round(wide(random) * 65536.0f) / 65536.0f);
    v.resize(count);
    return v;
}

// What libsndfile stores for interleaved floats, clipping on, read back as it stored them.
std::vector<int16_t> libsndfilePcm16(const std::vector<float>& interleaved, int channels) {
    wdtest::TempDir dir;
    SF_INFO info{0, 44100, channels, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 0, 0};
    SNDFILE* out = sf_open(dir.file("x.wav").c_str(), SFM_WRITE, &info);
    sf_command(out, SFC_SET_CLIPPING, nullptr, SF_TRUE);
    sf_writef_float(out, interleaved.data(), static_cast<sf_count_t>(interleaved.size() / channels));
    sf_close(out);
    SNDFILE* in = sf_open(dir.file("x.wav").c_str(), SFM_READ, &info);
    std::vector<int16_t> pcm(interleaved.size());
    sf_read_short(in, pcm.data(), static_cast<sf_count_t>(pcm.size()));
    sf_close(in);
    return pcm;
}

TEST(SampleKernels, FloatsBecomeTheSixteenBitValuesLibsndfileStoresAndNaNSilence) {
    for (const int count : {1, 7, 8, 9, 4099}) {
        const std::vector<float> left = edgyFloats(static_cast<size_t>(count)), right = edgyFloats(static_cast<size_t>(count) + 5);
        std::vector<float> interleaved;
        for (int i = 0; i < count; ++i) interleaved.insert(interleaved.end(), {left[static_cast<size_t>(i)], right[static_cast<size_t>(i) + 5]});
        std::vector<int16_t> ours(static_cast<size_t>(count) * 2);
        wd::floatToPcm16(left.data(), right.data() + 5, count, ours.data());
        EXPECT_EQ(ours, libsndfilePcm16(interleaved, 2)) << count << " frames";
        ours.resize(static_cast<size_t>(count));
        wd::floatToPcm16(left.data(), nullptr, count, ours.data());
        EXPECT_EQ(ours, libsndfilePcm16(left, 1)) << count << " frames";
    }
    std::vector<float> nan(9, std::numeric_limits<float>::quiet_NaN());
    std::vector<int16_t> out(9, 1);
    wd::floatToPcm16(nan.data(), nullptr, 9, out.data());
    EXPECT_EQ(out, std::vector<int16_t>(9, 0));
}

TEST(SampleKernels, SixteenBitSamplesReadAsLibsndfileReadsThemOnEitherChannel) {
    wdtest::TempDir dir;
    for (const int channels : {1, 2}) {
        std::vector<int16_t> pcm;
        for (int v = -32768; v <= 32767; v += 7) pcm.push_back(static_cast<int16_t>(v));
        pcm.resize(pcm.size() / static_cast<size_t>(channels) * static_cast<size_t>(channels) - static_cast<size_t>(channels));
        const auto frames = static_cast<int64_t>(pcm.size()) / channels;
        SF_INFO info{0, 44100, channels, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 0, 0};
        SNDFILE* out = sf_open(dir.file("x.wav").c_str(), SFM_WRITE, &info);
        sf_write_short(out, pcm.data(), static_cast<sf_count_t>(pcm.size()));
        sf_close(out);
        SNDFILE* in = sf_open(dir.file("x.wav").c_str(), SFM_READ, &info);
        std::vector<float> theirs(pcm.size());
        sf_readf_float(in, theirs.data(), frames);
        sf_close(in);
        for (int c = 0; c < channels; ++c) {
            std::vector<float> ours(static_cast<size_t>(frames));
            wd::pcm16ToFloat(reinterpret_cast<const unsigned char*>(pcm.data()), frames, channels, c, ours.data());
            for (int64_t i = 0; i < frames; ++i) {
                ASSERT_EQ(std::bit_cast<uint32_t>(ours[static_cast<size_t>(i)]),
                          std::bit_cast<uint32_t>(theirs[static_cast<size_t>(i * channels + c)]))
                    << channels << " channels, channel " << c << ", frame " << i;
            }
        }
    }
}

TEST(SampleKernels, MinimaAndMaximaAreThoseOfTheInOrderFold) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    struct Case {
        std::vector<float> data;
        float lo, hi;
    };
    std::vector<float> longRun(37, 0.25f);
    longRun[29] = -0.75f;
    longRun[36] = 0.875f;
    const Case cases[] = {
        {{0.5f}, 0.5f, 0.5f},
        {longRun, -0.75f, 0.875f},                                               // the extremes in the tail
        {{-0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f}, -0.0f, -0.0f},  // the first zero stays
        {{0.0f, -0.0f, 0.0f, -0.0f, 0.0f, -0.0f, 0.0f, -0.0f, 0.0f}, 0.0f, 0.0f},
        {{nan, 1.0f, -1.0f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f}, nan, nan},     // a first NaN stays
        {{0.5f, nan, -1.0f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 2.0f}, -1.0f, 2.0f},  // a later one is passed over
    };
    for (const Case& c : cases) {
        float lo = 0, hi = 0;
        wd::minMaxFloat(c.data.data(), 0, static_cast<int>(c.data.size()), lo, hi);
        EXPECT_EQ(std::bit_cast<uint32_t>(lo), std::bit_cast<uint32_t>(c.lo)) << c.data.size();
        EXPECT_EQ(std::bit_cast<uint32_t>(hi), std::bit_cast<uint32_t>(c.hi)) << c.data.size();
    }
    // 16-bit: each channel's own extremes, never the other channel's, one of them in the tail.
    for (const int frames : {9, 27}) {
        for (const int channels : {1, 2}) {
            std::vector<int16_t> pcm(static_cast<size_t>(frames * channels), 100);
            pcm[static_cast<size_t>((frames - 1) * channels)] = -30000;  // the last frame's first channel
            pcm[static_cast<size_t>(channels - 1)] = 9000;                // the first frame's last channel
            for (int channel = 0; channel < channels; ++channel) {
                int16_t low = 0, high = 0;
                wd::minMaxPcm16(reinterpret_cast<const unsigned char*>(pcm.data()), frames * channels, channels, channel, low, high);
                EXPECT_EQ(low, channel == 0 ? -30000 : 100) << frames << " frames of " << channels;
                EXPECT_EQ(high, channel == channels - 1 ? 9000 : 100) << frames << " frames of " << channels;
            }
        }
    }
}

}  // namespace
