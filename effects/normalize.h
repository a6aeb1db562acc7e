// Removes the DC offset of the selection and scales its peak to a target.
#pragma once

#include <cstdint>

#include "effects/effect.h"

namespace wd {

/**
 * Id 2. Word 0: the target peak (float, default 0.75; not finite is refused). Per selected
 * channel, in two passes inside one overwrite splice: the first gathers the minimum and
 * maximum (both starting at 0.0), the sum and the count of the samples; the second writes
 * (in + offset) x gain, with offset = -sum / count and gain = target / the larger of
 * |offset + maximum| and |offset + minimum| (unchanged, 1.0 at first, when that is 0).
 * Not clipped. The statistics run on from channel 0 into channel 1.
 */
class Normalize final : public Effect {
public:
    bool setParameters(const void* block) override;

private:
    Plan plan() override;
    bool process() override;
    bool normalizeChannel(Channel& channel, int start, int count);

    float target_ = 0.75f;
    float minimum_ = 0.0f;
    float maximum_ = 0.0f;
    double sum_ = 0.0;
    int64_t count_ = 0;
    double gain_ = 1.0;
};

}  // namespace wd
