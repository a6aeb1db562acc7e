// A single feedback echo inside the selection.
#pragma once

#include <cstdint>

#include "effects/effect.h"

namespace wd {

/**
 * Id 6: y[t] = x[t] + decay x y[t - D] inside the selection, y = 0 before its start; the
 * echo does not run past the selection and nothing is clipped. D = delay x rate / 1000
 * samples (truncated), from channel 0's rate, for both channels. Word 0: the decay (float,
 * default 0.5); word 4: the delay in ms (int, default 20). A decay that is not finite or a
 * negative delay is refused; a delay under one sample (D = 0), or a channel whose selection
 * is not longer than D, leaves the samples as they are.
 *
 * Memory: one buffer of D samples (the last D outputs).
 */
class Echo final : public Effect {
public:
    bool setParameters(const void* block) override;

private:
    Plan plan() override;
    bool process() override;
    bool echoChannel(Channel& channel, int start, int count);

    float decay_ = 0.5f;
    int32_t delayMs_ = 20;
    int64_t delay_ = 0;  // D, samples
};

}  // namespace wd
