// The effects that rewrite the selected samples by a plain rule: gain, inversion, fades, ramp, reversal.
#pragma once

#include "effects/effect.h"

namespace wd {

/** Id 1: out = in x gain, clipped to [-1, 1]. Word 0: the gain (float, default 2.0);
 * a gain that is not finite is refused. */
class Amplify final : public Effect {
public:
    Amplify();
    bool setParameters(const void* block) override;

private:
    Plan plan() override;
    bool process() override;

    float gain_ = 2.0f;
};

/** Id 4: out = -in. */
class Invert final : public Effect {
private:
    Plan plan() override { return planForSelection(); }
    bool process() override;
};

/** Id 8: out = in x k / n for the k-th of n selected samples (the first becomes 0). */
class FadeIn final : public Effect {
private:
    Plan plan() override { return planForSelection(); }
    bool process() override;
};

/** Id 9: out = in x (n - k) / n (the first is kept, the last becomes in / n). */
class FadeOut final : public Effect {
private:
    Plan plan() override { return planForSelection(); }
    bool process() override;
};

/** Id 25: out = in x (a + (b - a) x k / n), not clipped. Words 0 and 1: the start gain a and
 * the end gain b (floats, default 1.0 both); gains that are not finite are refused. */
class GainRamp final : public Effect {
public:
    bool setParameters(const void* block) override;

private:
    Plan plan() override;
    bool process() override;

    float start_ = 1.0f;
    float end_ = 1.0f;
};

/** Id 3: the selected samples in reverse order, out[k] = in[s + n - 1 - k]; the chunks are
 * read from the end of the selection backwards. */
class Reverse final : public Effect {
private:
    Plan plan() override { return planForSelection(); }
    bool process() override;
};

}  // namespace wd
