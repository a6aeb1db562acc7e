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
    /** Everything a channel carries from sample to sample, and the gains. */
    struct State {
        double lf = 0, f1p0 = 0, f1p1 = 0, f1p2 = 0, f1p3 = 0;  // low band: its pole factor and poles
        double hf = 0, f2p0 = 0, f2p1 = 0, f2p2 = 0, f2p3 = 0;  // high band
        double sdm1 = 0, sdm2 = 0, sdm3 = 0;                     // the input's last three samples
        double lg = 0, mg = 0, hg = 0;
    };

    Plan plan() override;
    bool process() override;
    void reset();
    static double equalize(State& s, double x);

    float gains_[3] = {1.0f, 1.0f, 1.0f};
    State state_;
};

}  // namespace wd
