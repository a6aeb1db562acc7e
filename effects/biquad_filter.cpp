#include "effects/biquad_filter.h"

#include <algorithm>
#include <cmath>

#include "effects/dsp_constants.h"

namespace wd {
namespace {

constexpr double kSqrt2 = 1.4142135623730951;

}  // namespace

void BiquadFilter::designLowPass(double cutoff, double sampleRate) {
    c_ = static_cast<float>(1.0 / std::tan(kPi * cutoff / sampleRate));
    a0_ = static_cast<float>(1.0 / (1.0 + kSqrt2 * c_ + c_ * c_));
    a1_ = 2 * a0_;
    a2_ = a0_;
    b1_ = static_cast<float>(2.0 * (1.0 - c_ * c_) * a0_);
    b2_ = static_cast<float>((1.0 - kSqrt2 * c_ + c_ * c_) * a0_);
}

void BiquadFilter::designHighPass(double cutoff, double sampleRate) {
    c_ = static_cast<float>(std::tan(kPi * cutoff / sampleRate));
    a0_ = static_cast<float>(1.0 / (1.0 + kSqrt2 * c_ + c_ * c_));
    a1_ = -2 * a0_;
    a2_ = a0_;
    b1_ = static_cast<float>(2.0 * (c_ * c_ - 1.0) * a0_);
    b2_ = static_cast<float>((1.0 - kSqrt2 * c_ + c_ * c_) * a0_);
}

void BiquadFilter::designBandPass(double centre, double bandwidth, double sampleRate) {
    c_ = static_cast<float>(1.0 / std::tan(kPi * bandwidth / sampleRate));
    d_ = static_cast<float>(2.0 * std::cos(kTwoPi * centre / sampleRate));
    a0_ = static_cast<float>(1.0 / (1.0 + c_));
    a1_ = 0;
    a2_ = -a0_;
    b1_ = -c_ * d_ * a0_;
    b2_ = (c_ - 1) * a0_;
}

void BiquadFilter::designBandStop(double centre, double bandwidth, double sampleRate) {
    c_ = static_cast<float>(std::tan(kPi * bandwidth / sampleRate));
    d_ = static_cast<float>(2.0 * std::cos(kTwoPi * centre / sampleRate));
    a0_ = static_cast<float>(1.0 / (1.0 + c_));
    a1_ = -d_ * a0_;
    a2_ = a0_;
    b1_ = -d_ * a0_;
    b2_ = (1 - c_) * a0_;
}

void BiquadFilter::setChannelIndex(int index) {
    if (index == 0 || index == 1) channelIndex_ = index;
}

void BiquadFilter::process(float* samples, int count) {
    // Locals: the compiler need not reload what the sample stores might have changed.
    const float a0 = a0_, a1 = a1_, a2 = a2_, b1 = b1_, b2 = b2_;
    History h = history_[channelIndex_];
    for (int i = 0; i < count; ++i) {
        const float x = std::clamp(samples[i], -1.0f, 1.0f);
        const float y = std::clamp(a0 * x + a1 * h.x1 + a2 * h.x2 - b1 * h.y1 - b2 * h.y2, -1.0f, 1.0f);
        h.x2 = h.x1;
        h.x1 = x;
        h.y2 = h.y1;
        h.y1 = y;
        samples[i] = y;
    }
    history_[channelIndex_] = h;
}

}  // namespace wd
