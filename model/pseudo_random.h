// The C library's rand(), reproduced so that generated noise is the same on every system.
#pragma once

#include <cstdint>

namespace wd {

/**
 * A linear congruential generator with one 32-bit state per thread, 1 when the thread
 * starts: state = state x 214013 + 2531011 (modulo 2^32), each number (state >> 16) & 32767.
 * Never reseeded except through seed(). Any thread; each sees only its own state.
 */
class PseudoRandom {
public:
    static constexpr int kMax = 32767;

    /** The next number of the calling thread's sequence, 0 to kMax. */
    static int next();
    /** Restarts the calling thread's sequence from state. */
    static void seed(uint32_t state);
};

}  // namespace wd
