#include "effects/three_band_equalizer.h"

#include <algorithm>
#include <cmath>

#include "effects/dsp_constants.h"

namespace wd {
namespace {

// Added to the first pole of each filter so that silence never decays into denormals.
constexpr double kAntiDenormal = 1.0 / 4294967295.0;
constexpr double kCrossoverRate = 48000;
constexpr double kLowCrossover = 880;
constexpr double kHighCrossover = 5000;

}  // namespace

bool ThreeBandEqualizer::setParameters(const void* block) {
    if (block) {
        for (int i = 0; i < 3; ++i) gains_[i] = floatWord(block, i);
    }
    return true;
}

Effect::Plan ThreeBandEqualizer::plan() {
    const bool finite = std::all_of(std::begin(gains_), std::end(gains_), [](float g) { return std::isfinite(g); });
    return finite ? planForSelection() : Plan::Refuse;
}

void ThreeBandEqualizer::reset() {
    state_ = State{};
    state_.lf = 2 * std::sin(kPi * kLowCrossover / kCrossoverRate);
    state_.hf = 2 * std::sin(kPi * kHighCrossover / kCrossoverRate);
    state_.lg = gains_[0];
    state_.mg = gains_[1];
    state_.hg = gains_[2];
}

double ThreeBandEqualizer::equalize(State& s, double x) {
    s.f1p0 += s.lf * (x - s.f1p0) + kAntiDenormal;
    s.f1p1 += s.lf * (s.f1p0 - s.f1p1);
    s.f1p2 += s.lf * (s.f1p1 - s.f1p2);
    s.f1p3 += s.lf * (s.f1p2 - s.f1p3);
    const double l = s.f1p3;
    s.f2p0 += s.hf * (x - s.f2p0) + kAntiDenormal;
    s.f2p1 += s.hf * (s.f2p0 - s.f2p1);
    s.f2p2 += s.hf * (s.f2p1 - s.f2p2);
    s.f2p3 += s.hf * (s.f2p2 - s.f2p3);
    const double h = s.sdm3 - s.f2p3;
    const double m = s.sdm3 - (h + l);
    s.sdm3 = s.sdm2;
    s.sdm2 = s.sdm1;
    s.sdm1 = x;
    return l * s.lg + m * s.mg + h * s.hg;
}

bool ThreeBandEqualizer::process() {
    return overwriteSelectedChannels([this](int, int) { reset(); },
                                     [this](float* x, int count, int) {
                                         State s = state_;  // a local the compiler keeps in registers
                                         for (int i = 0; i < count; ++i) x[i] = static_cast<float>(equalize(s, x[i]));
                                         state_ = s;
                                     });
}

}  // namespace wd
