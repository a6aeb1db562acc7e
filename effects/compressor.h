// An RMS compressor with a look-back envelope follower.
#pragma once

#include <cstdint>

#include "effects/effect.h"

namespace wd {

/**
 * Id 10. Word 4: the threshold in dB (int, default -12); word 5: the ratio x 10 (int,
 * default 20, a ratio of 2.0); word 6: the attack time in ms (int, default 200). A ratio
 * of 0 or below or a negative attack time is refused.
 *
 * The level is the RMS of the last 100 samples. The envelope follows it, rising at most
 * by the attack factor and falling at most by the decay factor (decay time 1 s) per sample,
 * never below 0.001; a rise faster than the attack allows is met by walking back over up
 * to 50 earlier envelope values of the chunk. Samples whose envelope e is above the
 * threshold T are scaled by (T / e)^(1 - 1/ratio); all are clamped to [-1, 1]. The ring
 * and the envelope start again for each channel; the envelope works chunk by chunk.
 */
class Compressor final : public Effect {
public:
    bool setParameters(const void* block) override;

private:
    static constexpr int kRingSize = 100;
    static constexpr int kLookBack = 50;

    Plan plan() override;
    bool process() override;
    void reset();
    void compress(float* samples, int count);
    float averageLevel(float x);
    void follow(float x, double* envelope, int i);

    double attackTime_ = 0.2;   // s
    double threshold_ = -12.0;  // dB
    double ratio_ = 2.0;
    double decayTime_ = 1.0;  // s
    double attackFactor_ = 0;
    double decayFactor_ = 0;
    double floor_ = 0.001;
    double linearThreshold_ = 0;
    double rmsSum_ = 0;
    int ringPosition_ = 0;
    double squares_[kRingSize] = {};
    double lastLevel_ = 0;
    double sampleRate_ = 0;
    int32_t ratioWord_ = 20;
    int32_t attackWord_ = 200;
};

}  // namespace wd
