// A two-stage phaser swept by a slow sine.
#pragma once

#include <cstdint>

#include "effects/effect.h"

namespace wd {

/**
 * Id 11. Word 4: the start phase of the sweep in radians (int, default 0); word 5: the
 * depth, 0 to 255 (int, default 100); word 6: the feedback in percent, -100 to 100 (int,
 * default 0). Values outside those ranges are refused (a depth above 255 or a feedback
 * beyond 100 % makes the all-pass chain grow without bound). The sweep runs at 0.4 Hz,
 * its gain updated every 20 samples; channel 1 sweeps in opposite phase to channel 0. The
 * output is half dry, half wet, clamped to [-1, 1].
 */
class Phaser final : public Effect {
public:
    bool setParameters(const void* block) override;

private:
    static constexpr int kStages = 2;

    Plan plan() override;
    bool process() override;
    void reset(int channelIndex);
    /** Runs the chunk through the sweep and the stages, carrying the state on. */
    template <bool kFeedback>
    void phase(float* samples, int count);

    float freq_ = 0.4f;
    float startPhase_ = 0.0f;
    float feedback_ = 0.0f;
    int32_t depth_ = 100;
    int32_t dryWet_ = 128;
    float old_[kStages] = {};
    uint32_t skipCount_ = 0;
    double gain_ = 0;
    float feedbackOut_ = 0;
    double lfoStep_ = 0;
    double phase_ = 0;
    double sampleRate_ = 0;
};

}  // namespace wd
