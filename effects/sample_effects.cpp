#include "effects/sample_effects.h"

#include <algorithm>
#include <cmath>

namespace wd {

// Each rule is worked in double and stored as float.

Amplify::Amplify() : Effect(1) {}

bool Amplify::setParameters(const void* block) {
    if (block) gain_ = floatWord(block, 0);
    return true;
}

Effect::Plan Amplify::plan() {
    return std::isfinite(gain_) ? planForSelection() : Plan::Refuse;
}

bool Amplify::process() {
    // Worked in float: the product of two floats is exact in double, so rounding it once to
    // float gives the float product, and clipping before or after that rounding agrees.
    const float gain = gain_;
    return overwriteSelectedChannels([](int, int) {},
                                     [gain](float* x, int count, int) {
                                         for (int i = 0; i < count; ++i) {
                                             float v = x[i] * gain;
                                             v = v > 1.0f ? 1.0f : v;
                                             x[i] = v < -1.0f ? -1.0f : v;
                                         }
                                     });
}

bool Invert::process() {
    return overwriteSelectedChannels([](int, int) {},
                                     [](float* x, int count, int) {
                                         for (int i = 0; i < count; ++i) x[i] = -x[i];
                                     });
}

bool FadeIn::process() {
    double n = 0;
    return overwriteSelectedChannels([&n](int, int count) { n = count; },
                                     [&n](float* x, int count, int offset) {
                                         for (int i = 0; i < count; ++i)
                                             x[i] = static_cast<float>(x[i] * static_cast<double>(offset + i) / n);
                                     });
}

bool FadeOut::process() {
    double n = 0;
    return overwriteSelectedChannels([&n](int, int count) { n = count; },
                                     [&n](float* x, int count, int offset) {
                                         for (int i = 0; i < count; ++i)
                                             x[i] = static_cast<float>(x[i] * (n - (offset + i)) / n);
                                     });
}

bool GainRamp::setParameters(const void* block) {
    if (block) {
        start_ = floatWord(block, 0);
        end_ = floatWord(block, 1);
    }
    return true;
}

Effect::Plan GainRamp::plan() {
    return std::isfinite(start_) && std::isfinite(end_) ? planForSelection() : Plan::Refuse;
}

bool GainRamp::process() {
    const double a = start_, b = end_;
    double n = 0;
    return overwriteSelectedChannels([&n](int, int count) { n = count; },
                                     [&](float* x, int count, int offset) {
                                         for (int i = 0; i < count; ++i)
                                             x[i] = static_cast<float>(x[i] * (a + (b - a) * (offset + i) / n));
                                     });
}

bool Reverse::process() {
    return overwriteSelectedChannels([](int, int) {}, [](float* x, int count, int) { std::reverse(x, x + count); },
                                     Order::Backward);
}

}  // namespace wd
