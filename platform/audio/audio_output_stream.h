// One open playback stream of an audio backend, driven by a WaveOutDevice.
#pragma once

#include <cstddef>

#include "wavedeck_types.h"

namespace wd {

/**
 * Every call except interrupt() comes from the owning device's driver thread, one at a
 * time; interrupt() may come from any thread.
 */
class AudioOutputStream {
public:
    virtual ~AudioOutputStream() = default;

    /** Hands whole frames to the device, blocking while the device has no room, which
     * paces the caller at the format's rate. Returns the bytes taken: all of them, or
     * fewer when interrupt() was called or the device failed. */
    virtual size_t write(const BYTE* data, size_t size) = 0;
    /** Bytes of what write() took that have not been heard yet: held by the device or
     * the sound server, or on their way out of the speaker. An estimate errs toward
     * "not heard yet"; what discard() dropped counts as heard. */
    virtual size_t unheard() = 0;
    /** Waits until everything write() took has been heard. False when interrupt() was
     * called or the device failed first. Starts playing what is held even when it is
     * less than the device waits for before it starts. */
    virtual bool drain() = 0;
    /** Stops (true) or resumes (false) playing what the device already holds. */
    virtual void setPaused(bool paused) = 0;
    /** Drops what the device holds and has not played yet. */
    virtual void discard() = 0;
    /** Makes a blocked write() return, and every later one until clearInterrupt(). */
    virtual void interrupt() = 0;
    virtual void clearInterrupt() = 0;
    /** True once the device is gone (its server went away); writes then take nothing. */
    virtual bool failed() const = 0;
};

}  // namespace wd
