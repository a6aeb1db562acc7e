// One open capture stream of an audio backend, driven by a WaveInDevice.
#pragma once

#include <cstddef>

#include "wavedeck_types.h"

namespace wd {

/**
 * Every call except interrupt() comes from the owning device's driver thread, one at a
 * time; interrupt() may come from any thread. Nothing is captured before start().
 */
class AudioInputStream {
public:
    virtual ~AudioInputStream() = default;

    /** @returns false when the device would not start: nothing is captured. */
    virtual bool start() = 0;
    /** Stops capturing; what was captured and not read yet is dropped.
     * @returns false when the device would not stop: it goes on capturing. */
    virtual bool stop() = 0;
    /** Reads whole frames of captured sound, blocking until size bytes have arrived.
     * Returns fewer only when interrupt() was called or the device failed. */
    virtual size_t read(BYTE* data, size_t size) = 0;
    /** Makes a blocked read() return, and every later one until clearInterrupt(). */
    virtual void interrupt() = 0;
    virtual void clearInterrupt() = 0;
    /** True once the device is gone (its server went away). */
    virtual bool failed() const = 0;
};

}  // namespace wd
