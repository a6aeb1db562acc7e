// Mixes the two channels of a stereo track into each other.
#pragma once

#include "effects/effect.h"

namespace wd {

/**
 * Id 24, stereo tracks only: over channel 0's selection, on both channels whatever their
 * flags, newL = L x ll + R x rl and newR = L x lr + R x rr, not clipped. Words 0 to 3: ll,
 * rl, lr, rr (floats, default 1, 0, 0, 1: unchanged). A mono track or a weight that is not
 * finite is refused. Progress is the truncated percentage of samples done.
 */
class ChannelMixer final : public Effect {
public:
    bool setParameters(const void* block) override;

private:
    Plan plan() override;
    bool process() override;

    float weights_[4] = {1.0f, 0.0f, 0.0f, 1.0f};
    int count_ = 0;
};

}  // namespace wd
