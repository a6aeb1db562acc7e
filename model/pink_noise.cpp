#include "model/pink_noise.h"

#include <ctime>

#include "model/pseudo_random.h"

namespace wd {

void PinkNoise::start() {
    PseudoRandom::seed(static_cast<uint32_t>(std::time(nullptr)));
    s0_ = s1_ = s2_ = 0.0f;
}

float PinkNoise::next(float amplitude) {
    const auto w0 = static_cast<float>(PseudoRandom::next());
    const auto w1 = static_cast<float>(PseudoRandom::next());
    const auto w2 = static_cast<float>(PseudoRandom::next());
    s0_ = (s0_ - w0) * 0.319f + w0;
    s1_ = (s1_ - w1) * 0.7756f + w1;
    s2_ = (s2_ - w2) * 0.9613f + w2;
    // 0.78096277 is the sum of the three weights: it centres the output on 0.
    return ((s1_ * 0.07113478f + s2_ * 0.6887356f + s0_ * 0.02109238f) * 6.103702e-5f - 0.78096277f) * amplitude;
}

}  // namespace wd
