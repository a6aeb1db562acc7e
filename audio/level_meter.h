// The output level of the buffers the player queues, for the volume window.
#pragma once

#include <cstdint>
#include <vector>

namespace wd {

/** Peak and mean absolute value per channel, on the 16-bit sample scale (0..32768). */
struct LevelRecord {
    int peakLeft = 0;
    int meanLeft = 0;
    int peakRight = 0;
    int meanRight = 0;
};

/** Shows the levels the player measures (the volume window). */
class LevelListener {
public:
    virtual ~LevelListener() = default;
    /** About ten times a second while playing, on the thread that queues buffers. */
    virtual void levelsMeasured(const LevelRecord& level) = 0;
};

/**
 * Measures every queued buffer and hands on one combined record every `interval` buffers,
 * where the interval is ceil((bytes per second / 10) / buffer bytes), at least 1: about
 * ten results per second. Used under the player's lock only (its callback thread or the
 * user-interface thread while starting); never allocates after start().
 */
class LevelMeter {
public:
    /** A new play: computes the interval, sets the counter to 0, empties the queue. */
    void start(uint32_t bytesPerSecond, int bufferBytes);
    int interval() const { return interval_; }

    /**
     * Measures a buffer of `bytes` bytes of 16-bit samples with 1 or 2 interleaved channels.
     * Stereo: over bytes / 4 frames, per channel. Mono: over the first bytes / 4 samples
     * (the first half of the buffer), the record holding the same peak and mean for both
     * sides. Means are truncated toward zero.
     * @returns true when this buffer drained the queue; `result` then holds the largest
     * peaks and the means folded as m = first, then m = (m + next) >> 1 per further record.
     */
    bool measure(const int16_t* samples, int bytes, int channels, LevelRecord& result);

private:
    int interval_ = 1;
    int counter_ = 0;
    std::vector<LevelRecord> queue_;
};

}  // namespace wd
