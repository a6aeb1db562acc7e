// The filter effects: low-pass, high-pass, band-pass and band-stop.
#pragma once

#include "effects/biquad_filter.h"
#include "effects/effect.h"

namespace wd {

/**
 * Ids 16 and 20 (low-pass), 17 and 19 (high-pass), 18 (band-pass) and 21 (band-stop). The
 * effect designs its BiquadFilter once per run from the track's rate and runs it over each
 * selected channel, channel 0 on history 0 and channel 1 on history 1, the state carried
 * across chunks.
 *
 * Words 0 and 1 (floats): the cutoff in Hz (low- and high-pass, default 1000), or the
 * centre and the bandwidth in Hz (band-pass and band-stop, default 1000 and 200). Every
 * frequency must be finite, above 0 (a centre may be 0) and below half the track's rate;
 * other values are refused.
 */
class FilterEffect final : public Effect {
public:
    enum class Shape { LowPass, HighPass, BandPass, BandStop };

    explicit FilterEffect(Shape shape);
    bool setParameters(const void* block) override;

private:
    Plan plan() override;
    bool process() override;
    /** Low- and high-pass take one frequency, the band filters two. */
    int frequencyCount() const;

    Shape shape_;
    BiquadFilter filter_;
    float frequencies_[2] = {1000.0f, 200.0f};
};

}  // namespace wd
