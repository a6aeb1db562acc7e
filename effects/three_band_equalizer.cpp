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
    f1p0_ = f1p1_ = f1p2_ = f1p3_ = 0;
    f2p0_ = f2p1_ = f2p2_ = f2p3_ = 0;
    sdm1_ = sdm2_ = sdm3_ = 0;
    lf_ = 2 * std::sin(kPi * kLowCrossover / kCrossoverRate);
    hf_ = 2 * std::sin(kPi * kHighCrossover / kCrossoverRate);
    lg_ = gains_[0];
    mg_ = gains_[1];
    hg_ = gains_[2];
}

double ThreeBandEqualizer::equalize(double x) {
    f1p0_ += lf_ * (x - f1p0_) + kAntiDenormal;
    f1p1_ += lf_ * (f1p0_ - f1p1_);
    f1p2_ += lf_ * (f1p1_ - f1p2_);
    f1p3_ += lf_ * (f1p2_ - f1p3_);
    const double l = f1p3_;
    f2p0_ += hf_ * (x - f2p0_) + kAntiDenormal;
    f2p1_ += hf_ * (f2p0_ - f2p1_);
    f2p2_ += hf_ * (f2p1_ - f2p2_);
    f2p3_ += hf_ * (f2p2_ - f2p3_);
    const double h = sdm3_ - f2p3_;
    const double m = sdm3_ - (h + l);
    sdm3_ = sdm2_;
    sdm2_ = sdm1_;
    sdm1_ = x;
    return l * lg_ + m * mg_ + h * hg_;
}

bool ThreeBandEqualizer::process() {
    return overwriteSelectedChannels([this](int, int) { reset(); },
                                     [this](float* x, int count, int) {
                                         for (int i = 0; i < count; ++i) x[i] = static_cast<float>(equalize(x[i]));
                                     });
}

}  // namespace wd
