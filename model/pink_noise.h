// Pink noise from three filtered streams of PseudoRandom numbers.
#pragma once

namespace wd {

/**
 * One run of pink noise (a generated block): start() seeds the calling thread's
 * PseudoRandom with the current time in whole seconds and zeroes the filter state, so two
 * runs started within the same second give the same samples. Not shared between threads.
 */
class PinkNoise {
public:
    void start();
    /** The next sample, centred on 0, at most about amplitude in size. */
    float next(float amplitude);

private:
    float s0_ = 0.0f;
    float s1_ = 0.0f;
    float s2_ = 0.0f;
};

}  // namespace wd
