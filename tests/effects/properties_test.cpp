// Effects checked by what they mean: a filter's gain at its corner or centre, an equaliser
// at unit gains, a compressor's steady level, and effects that undo each other.
#include <gtest/gtest.h>

#include <cmath>

#include "effect_session.h"
#include "model/track.h"
#include "support/signal.h"
#include "wavedeck.h"

namespace {

using wdtest::EffectBlock;
using wdtest::EffectSession;

constexpr int kRate = 44100;

std::vector<float> tail(const std::vector<float>& v, size_t from) {
    return std::vector<float>(v.begin() + static_cast<long>(from), v.end());
}

// The steady gain of an effect on a sine: output RMS over input RMS after the first second.
double steadyGain(int id, const EffectBlock& block, double frequency, double amplitude) {
    EffectSession session;
    wd::Track* track = session.open(1, 2 * kRate, [&](int, int i) {
        return static_cast<float>(amplitude * std::sin(2 * M_PI * frequency * i / kRate));
    });
    EffectSession::select(track, 0, 2 * kRate);
    const auto before = tail(EffectSession::samples(track, 0), kRate);
    EXPECT_EQ(session.apply(id, &block).doneWord, 1u);
    return wdtest::rms(tail(EffectSession::samples(track, 0), kRate)) / wdtest::rms(before);
}

TEST(Filters, PassHalfThePowerAtTheirCornerAndAllOrNothingAtTheirCentre) {
    struct Row {
        const char* what;
        int id;
        float f0, f1;
        double frequency, gain, tolerance;
    };
    const Row rows[] = {
        {"low-pass at its cutoff", 16, 1000, 0, 1000, M_SQRT1_2, 0.005},
        {"low-pass far above the signal", 20, 15000, 0, 100, 1, 0.005},
        {"high-pass at its cutoff", 17, 2000, 0, 2000, M_SQRT1_2, 0.005},
        {"high-pass far below the signal", 19, 50, 0, 5000, 1, 0.005},
        {"band-pass at its centre", 18, 3000, 400, 3000, 1, 0.005},
        {"band-stop at its centre", 21, 3000, 400, 3000, 0, 0.01},
    };
    for (const Row& row : rows) {
        EffectBlock block;
        block.f[0] = row.f0, block.f[1] = row.f1;
        EXPECT_NEAR(steadyGain(row.id, block, row.frequency, 0.5), row.gain, row.tolerance) << row.what;
    }
}

TEST(Filters, TreatASampleBeyondFullScaleAsFullScale) {
    EffectSession session;
    wd::Track* track = session.open(1, 2000, [](int, int i) { return i == 0 ? 1.5f : 0.0f; });
    EffectSession::select(track, 0, 2000);
    EffectBlock block;
    block.f[0] = 5000;
    ASSERT_EQ(session.apply(16, &block).doneWord, 1u);
    const double c = 1 / std::tan(M_PI * 5000 / kRate);
    EXPECT_NEAR(EffectSession::samples(track, 0)[0], 1 / (1 + M_SQRT2 * c + c * c), 1e-6) << "a0 x 1.0";
}

TEST(Compressor, BringsALoudSineToTheLevelItsRatioSets) {
    // Threshold -12 dB (T = 0.251), ratio 2: a steady RMS level e above T comes out at
    // e x (T / e)^(1/2) = sqrt(T e).
    const double amplitude = 0.8, level = amplitude * M_SQRT1_2, threshold = std::pow(10.0, -12 * 0.05);
    EffectBlock block;
    block.i[0] = -12, block.i[1] = 20, block.i[2] = 10;
    const double gain = steadyGain(10, block, 441, amplitude);
    EXPECT_NEAR(gain * level, std::sqrt(threshold * level), 0.01);
}

TEST(ThreeBandEqualizer, WithUnitGainsGivesTheInputThreeSamplesLate) {
    EffectSession session;
    wd::Track* track = session.open(1, 5000, [](int, int i) { return wdtest::testSignal(3000, 0.5, i); });
    EffectSession::select(track, 0, 5000);
    const auto before = EffectSession::samples(track, 0);
    EffectBlock block;
    block.f[0] = block.f[1] = block.f[2] = 1.0f;
    ASSERT_EQ(session.apply(15, &block).doneWord, 1u);
    const auto after = EffectSession::samples(track, 0);
    for (size_t i = 0; i < after.size(); ++i) ASSERT_NEAR(after[i], i < 3 ? 0.0f : before[i - 3], 1e-6) << i;
}

TEST(PairsOfEffects, UndoEachOther) {
    struct Row {
        const char* what;
        int first;
        float firstWord;
        int second;
        float secondWord;
    };
    for (const Row& row : {Row{"amplify by 2 then by 0.5", 1, 2.0f, 1, 0.5f}, Row{"reverse twice", 3, 0, 3, 0}}) {
        EffectSession session;
        wd::Track* track =
            session.open(2, 7000, [](int c, int i) { return wdtest::testSignal(c ? 300 : 500, 0.45, i); });
        EffectSession::select(track, 500, 6000);
        const auto left = EffectSession::samples(track, 0), right = EffectSession::samples(track, 1);
        EffectBlock block;
        block.f[0] = row.firstWord;
        ASSERT_EQ(session.apply(row.first, &block).doneWord, 1u);
        block.f[0] = row.secondWord;
        ASSERT_EQ(session.apply(row.second, &block).doneWord, 1u);
        EXPECT_EQ(EffectSession::samples(track, 0), left) << row.what;
        EXPECT_EQ(EffectSession::samples(track, 1), right) << row.what;
    }
}

}  // namespace
