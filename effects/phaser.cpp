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

template <bool kFeedback>
void Phaser::phase(float* samples, int count) {
    // The state in locals while the chunk runs: the sample stores cannot change it.
    float old[kStages];
    std::copy(std::begin(old_), std::end(old_), old);
    uint32_t skip = skipCount_;
    double gain = gain_;
    float fed = feedbackOut_;
    const float feedback = feedback_;
    const double step = lfoStep_, phase = phase_, depth = depth_;
    const double dry = 255 - dryWet_, wet = dryWet_;
    for (int i = 0; i < count; ++i) {
        const float x = samples[i];
        // Without feedback a sample does not wait for the one before to leave the stages.
        auto m = kFeedback ? static_cast<float>(x + fed * feedback * 0.01) : x;
        if (skip++ % kSweepUpdate == 0) {
            double g = (1.0 + std::cos(skip * step + phase)) / 2.0;
            g = (std::exp(g * kSweepShape) - 1.0) / (std::exp(kSweepShape) - 1.0);
            gain = 1.0 - g * depth / 255.0;
        }
        for (float& stage : old) {
            const float t = stage;
            stage = static_cast<float>(gain * t + m);
            m = static_cast<float>(t - gain * stage);
        }
        fed = m;
        samples[i] = static_cast<float>(std::clamp((x * dry + m * wet) * kOneOver255, -1.0, 1.0));
    }
    std::copy(std::begin(old), std::end(old), old_);
    skipCount_ = skip;
    gain_ = gain;
    feedbackOut_ = fed;
}

bool Phaser::process() {
    return overwriteSelectedChannels([this](int index, int) { reset(index); },
                                     [this](float* x, int count, int) {
                                         if (feedback_ != 0) {
                                             phase<true>(x, count);
                                         } else {
                                             phase<false>(x, count);
                                         }
                                     });
}

}  // namespace wd
