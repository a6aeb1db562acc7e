// A three-band equaliser with fixed crossovers.
#pragma once

#include "effects/effect.h"

namespace wd {

/**
 * Id 15. Words 0 to 2: the low, mid and high gains (floats, default 1.0 each; not finite
 * is refused). Two four-pole one-pole-cascade filters split each sample into a low band
 * (below 880 Hz) and a high band (above 5 kHz), the crossovers worked out for 48 kHz
 * whatever the track's rate; the mid band is the rest. The mid and high bands are taken
 * against the input delayed by three samples, so unit gains return the input three
 * samples late. All state is double and starts again for each channel. Not clipped.
 */
class ThreeBandEqualizer final : public Effect {
public:
    bool setParameters(const void* block) override;

private:
    Plan plan() override;
    bool process() override;
    void reset();
    double equalize(double x);

    float gains_[3] = {1.0f, 1.0f, 1.0f};
    // Low and high filter poles, the three-sample delay line and the gains.
    double lf_ = 0, f1p0_ = 0, f1p1_ = 0, f1p2_ = 0, f1p3_ = 0;
    double hf_ = 0, f2p0_ = 0, f2p1_ = 0, f2p2_ = 0, f2p3_ = 0;
    double sdm1_ = 0, sdm2_ = 0, sdm3_ = 0;
    double lg_ = 0, mg_ = 0, hg_ = 0;
};

}  // namespace wd
