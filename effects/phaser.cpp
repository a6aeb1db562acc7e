#include "effects/phaser.h"

#include <algorithm>
#include <cmath>

#include "model/track.h"

namespace wd {
namespace {

// 2π and π as single-precision values, as the sweep has always used them.
constexpr double kSweepTwoPi = 6.2831855;
constexpr double kSweepPi = 3.1415927;
constexpr uint32_t kSweepUpdate = 20;  // samples between gain updates
constexpr double kSweepShape = 4;      // curvature of the gain's sweep
constexpr double kOneOver255 = 0.003921569;

}  // namespace

bool Phaser::setParameters(const void* block) {
    if (block) {
        startPhase_ = static_cast<float>(intWord(block, 4));
        depth_ = intWord(block, 5);
        feedback_ = static_cast<float>(intWord(block, 6));
    }
    return true;
}

Effect::Plan Phaser::plan() {
    sampleRate_ = track_->sampleRate;
    if (depth_ < 0 || depth_ > 255 || feedback_ < -100 || feedback_ > 100 || sampleRate_ <= 0) return Plan::Refuse;
    return planForSelection();
}

void Phaser::reset(int channelIndex) {
    std::fill(std::begin(old_), std::end(old_), 0.0f);
    skipCount_ = 0;
    feedbackOut_ = 0;
    lfoStep_ = freq_ * kSweepTwoPi / sampleRate_;
    phase_ = channelIndex == 0 ? startPhase_ : startPhase_ + kSweepPi;
}

float Phaser::phase(float x) {
    auto m = static_cast<float>(x + feedbackOut_ * feedback_ * 0.01);
    if (skipCount_++ % kSweepUpdate == 0) {
        double g = (1.0 + std::cos(skipCount_ * lfoStep_ + phase_)) / 2.0;
        g = (std::exp(g * kSweepShape) - 1.0) / (std::exp(kSweepShape) - 1.0);
        gain_ = 1.0 - g * depth_ / 255.0;
    }
    for (float& stage : old_) {
        const float t = stage;
        stage = static_cast<float>(gain_ * t + m);
        m = static_cast<float>(t - gain_ * stage);
    }
    feedbackOut_ = m;
    const double out = (static_cast<double>(x) * (255 - dryWet_) + static_cast<double>(m) * dryWet_) * kOneOver255;
    return static_cast<float>(std::clamp(out, -1.0, 1.0));
}

bool Phaser::process() {
    return overwriteSelectedChannels([this](int index, int) { reset(index); },
                                     [this](float* x, int count, int) {
                                         for (int i = 0; i < count; ++i) x[i] = phase(x[i]);
                                     });
}

}  // namespace wd
