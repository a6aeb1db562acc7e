// Every effect that rewrites the selection in place, against a plain loop written from its
// formula: on a mono track and on a stereo track with only channel 1 selected, with chunk
// boundaries inside the selection; undo then gives back the samples bit for bit.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>

#include "effect_session.h"
#include "model/track.h"
#include "wavedeck.h"

namespace {

using wdtest::EffectBlock;
using wdtest::EffectSession;
using Samples = std::vector<double>;

constexpr int kRate = 44100;
constexpr int kFrames = 8000;
constexpr int kStart = 1000;
constexpr int kLength = 5000;  // four full chunks and a last piece of 904

struct Case {
    const char* name;
    int id;
    EffectBlock block;
    std::function<Samples(const Samples&, int channel)> expected;
    double tolerance;
};

Samples perSample(const Samples& in, const std::function<double(double x, double k, double n)>& rule) {
    Samples out(in.size());
    for (size_t k = 0; k < in.size(); ++k) out[k] = rule(in[k], static_cast<double>(k), static_cast<double>(in.size()));
    return out;
}

// y = a0 x + a1 x1 + a2 x2 - b1 y1 - b2 y2 with input and output clamped to [-1, 1].
Samples biquad(const Samples& in, double a0, double a1, double a2, double b1, double b2) {
    Samples out(in.size());
    double x1 = 0, x2 = 0, y1 = 0, y2 = 0;
    for (size_t k = 0; k < in.size(); ++k) {
        const double x = std::clamp(in[k], -1.0, 1.0);
        const double y = std::clamp(a0 * x + a1 * x1 + a2 * x2 - b1 * y1 - b2 * y2, -1.0, 1.0);
        x2 = x1, x1 = x, y2 = y1, y1 = y, out[k] = y;
    }
    return out;
}

Samples lowPass(const Samples& in, double f) {
    const double c = 1 / std::tan(M_PI * f / kRate), a0 = 1 / (1 + M_SQRT2 * c + c * c);
    return biquad(in, a0, 2 * a0, a0, 2 * (1 - c * c) * a0, (1 - M_SQRT2 * c + c * c) * a0);
}

Samples highPass(const Samples& in, double f) {
    const double c = std::tan(M_PI * f / kRate), a0 = 1 / (1 + M_SQRT2 * c + c * c);
    return biquad(in, a0, -2 * a0, a0, 2 * (c * c - 1) * a0, (1 - M_SQRT2 * c + c * c) * a0);
}

Samples bandPass(const Samples& in, double f, double w) {
    const double c = 1 / std::tan(M_PI * w / kRate), d = 2 * std::cos(2 * M_PI * f / kRate), a0 = 1 / (1 + c);
    return biquad(in, a0, 0, -a0, -c * d * a0, (c - 1) * a0);
}

Samples bandStop(const Samples& in, double f, double w) {
    const double c = std::tan(M_PI * w / kRate), d = 2 * std::cos(2 * M_PI * f / kRate), a0 = 1 / (1 + c);
    return biquad(in, a0, -d * a0, a0, -d * a0, (1 - c) * a0);
}

Samples normalize(const Samples& in, double target) {
    double lo = 0, hi = 0, sum = 0;
    for (double x : in) lo = std::min(lo, x), hi = std::max(hi, x), sum += x;
    const double offset = -sum / static_cast<double>(in.size());
    const double peak = std::max(std::fabs(offset + hi), std::fabs(offset + lo));
    return perSample(in, [&](double x, double, double) { return (x + offset) * target / peak; });
}

Samples echo(const Samples& in, double decay, size_t delay) {
    Samples out(in);
    for (size_t t = delay; t < out.size(); ++t) out[t] += decay * out[t - delay];
    return out;
}

Samples equalize(const Samples& in, double lg, double mg, double hg) {
    const double lf = 2 * std::sin(M_PI * 880 / 48000), hf = 2 * std::sin(M_PI * 5000 / 48000), v = 1 / 4294967295.0;
    double low[4] = {}, high[4] = {}, delayed[3] = {};
    Samples out(in.size());
    for (size_t k = 0; k < in.size(); ++k) {
        const double x = in[k];
        for (int p = 0; p < 4; ++p) low[p] += lf * ((p ? low[p - 1] : x) - low[p]) + (p ? 0 : v);
        for (int p = 0; p < 4; ++p) high[p] += hf * ((p ? high[p - 1] : x) - high[p]) + (p ? 0 : v);
        const double l = low[3], h = delayed[2] - high[3], m = delayed[2] - (h + l);
        delayed[2] = delayed[1], delayed[1] = delayed[0], delayed[0] = x;
        out[k] = l * lg + m * mg + h * hg;
    }
    return out;
}

Samples phaser(const Samples& in, double phase, double depth, double feedback) {
    const double step = 0.4 * 2 * M_PI / kRate;
    double old[2] = {}, gain = 0, fed = 0;
    Samples out(in.size());
    for (size_t k = 0; k < in.size(); ++k) {
        double m = in[k] + fed * feedback / 100;
        if (k % 20 == 0) {
            const double g = (1 + std::cos(static_cast<double>(k + 1) * step + phase)) / 2;
            gain = 1 - (std::exp(4 * g) - 1) / (std::exp(4.0) - 1) * depth / 255;
        }
        for (double& stage : old) {
            const double t = stage;
            stage = gain * t + m;
            m = t - gain * stage;
        }
        fed = m;
        out[k] = std::clamp((in[k] * 127 + m * 128) / 255, -1.0, 1.0);
    }
    return out;
}

// A channel of the test track: a sine per channel (the second one 0.6 loud, to clip when
// doubled) with a little noise.
float signal(int channel, int frame) {
    return wdtest::testSignal(channel ? 330 : 441, channel ? 0.6 : 0.2, frame);
}

EffectBlock words(std::initializer_list<float> floats, std::initializer_list<int32_t> ints = {}) {
    EffectBlock b;
    std::copy(floats.begin(), floats.end(), b.f);
    std::copy(ints.begin(), ints.end(), b.i);
    return b;
}

const Case kCases[] = {
    {"Amplify", 1, words({2.0f}),
     [](const Samples& in, int) {
         return perSample(in, [](double x, double, double) { return std::clamp(2 * x, -1.0, 1.0); });
     },
     1e-7},
    {"Normalize", 2, words({0.75f}), [](const Samples& in, int) { return normalize(in, 0.75); }, 1e-6},
    {"Reverse", 3, {}, [](const Samples& in, int) { return Samples(in.rbegin(), in.rend()); }, 0},
    {"Invert",
     4,
     {},
     [](const Samples& in, int) { return perSample(in, [](double x, double, double) { return -x; }); },
     0},
    {"Echo", 6, words({0.5f}, {20}), [](const Samples& in, int) { return echo(in, 0.5, 882); }, 1e-6},
    {"FadeIn",
     8,
     {},
     [](const Samples& in, int) { return perSample(in, [](double x, double k, double n) { return x * k / n; }); },
     1e-7},
    {"FadeOut",
     9,
     {},
     [](const Samples& in, int) { return perSample(in, [](double x, double k, double n) { return x * (n - k) / n; }); },
     1e-7},
    {"CompressorBelowThreshold", 10, words({}, {-6, 40, 10}), [](const Samples& in, int) { return in; }, 0},
    {"Phaser", 11, words({}, {1, 160, 40}),
     [](const Samples& in, int channel) { return phaser(in, 1 + channel * M_PI, 160, 40); }, 1e-5},
    {"Equalizer", 15, words({0.5f, 1.5f, 0.8f}), [](const Samples& in, int) { return equalize(in, 0.5, 1.5, 0.8); },
     1e-5},
    {"LowPass", 16, words({2000.0f}), [](const Samples& in, int) { return lowPass(in, 2000); }, 1e-4},
    {"HighPass", 17, words({300.0f}), [](const Samples& in, int) { return highPass(in, 300); }, 1e-4},
    {"BandPass", 18, words({400.0f, 300.0f}), [](const Samples& in, int) { return bandPass(in, 400, 300); }, 1e-4},
    {"HighPassSecondId", 19, words({300.0f}), [](const Samples& in, int) { return highPass(in, 300); }, 1e-4},
    {"LowPassSecondId", 20, words({2000.0f}), [](const Samples& in, int) { return lowPass(in, 2000); }, 1e-4},
    {"BandStop", 21, words({400.0f, 300.0f}), [](const Samples& in, int) { return bandStop(in, 400, 300); }, 1e-4},
    {"BandPassAtZero", 18, words({0.0f, 300.0f}), [](const Samples& in, int) { return bandPass(in, 0, 300); }, 1e-4},
    {"BandStopAtZero", 21, words({0.0f, 300.0f}), [](const Samples& in, int) { return bandStop(in, 0, 300); }, 1e-4},
    {"GainRamp", 25, words({0.5f, 3.0f}),
     [](const Samples& in, int) {
         return perSample(in, [](double x, double k, double n) { return x * (0.5 + 2.5 * k / n); });
     },
     1e-6},
};

class InPlaceEffect : public ::testing::TestWithParam<Case> {};

// A channel after the effect: the selection as the formula says, the rest as before.
void expectRewritten(const std::vector<float>& before, const std::vector<float>& after, const Case& c, int channel) {
    ASSERT_EQ(after.size(), before.size());
    const Samples in(before.begin() + kStart, before.begin() + kStart + kLength);
    const Samples want = c.expected(in, channel);
    for (int k = 0; k < kFrames; ++k) {
        const bool inside = k >= kStart && k < kStart + kLength;
        const double expected = inside ? want[static_cast<size_t>(k - kStart)] : before[static_cast<size_t>(k)];
        ASSERT_NEAR(after[static_cast<size_t>(k)], expected, inside ? c.tolerance + 1e-7 * std::fabs(expected) : 0)
            << c.name << " at sample " << k;
    }
}

TEST_P(InPlaceEffect, RewritesTheSelectionOfAMonoTrackByItsFormulaAndUndoRestoresIt) {
    const Case& c = GetParam();
    EffectSession session;
    wd::Track* track = session.open(1, kFrames, [](int, int i) { return signal(1, i); });
    EffectSession::select(track, kStart, kLength);
    const auto before = EffectSession::samples(track, 0);
    const auto run = session.apply(c.id, &c.block);
    ASSERT_TRUE(run.ended);
    EXPECT_EQ(run.doneWord, 1u);
    expectRewritten(before, EffectSession::samples(track, 0), c, 0);
    ASSERT_EQ(WDXUndo(), 0);
    EXPECT_EQ(EffectSession::samples(track, 0), before) << "undo gives the samples back bit for bit";
}

TEST_P(InPlaceEffect, OnAStereoTrackRewritesOnlyTheSelectedChannel) {
    const Case& c = GetParam();
    EffectSession session;
    wd::Track* track = session.open(2, kFrames, signal);
    EffectSession::select(track, kStart, kLength, false, true);
    const auto left = EffectSession::samples(track, 0), right = EffectSession::samples(track, 1);
    ASSERT_TRUE(session.apply(c.id, &c.block).ended);
    EXPECT_EQ(EffectSession::samples(track, 0), left);
    expectRewritten(right, EffectSession::samples(track, 1), c, 1);
    ASSERT_EQ(WDXUndo(), 0);
    EXPECT_EQ(EffectSession::samples(track, 1), right);
}

// Windows Media and CD imports leave the channels' rate words at 0: the delay is then
// counted at the track's rate.
TEST(Echo, AChannelWithoutARateWordDelaysByTheTracksRate) {
    EffectSession session;
    wd::Track* track = session.open(1, kFrames, [](int, int i) { return signal(1, i); }, 22050);
    track->channel(0)->viewRecord.sampleRate = 0;
    EffectSession::select(track, kStart, kLength);
    const auto before = EffectSession::samples(track, 0);
    const Case c{"Echo", 6, words({0.5f}, {20}), [](const Samples& in, int) { return echo(in, 0.5, 441); }, 1e-6};
    ASSERT_EQ(session.apply(c.id, &c.block).doneWord, 1u);
    expectRewritten(before, EffectSession::samples(track, 0), c, 0);
}

INSTANTIATE_TEST_SUITE_P(Effects, InPlaceEffect, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<Case>& param) { return std::string(param.param.name); });

}  // namespace
