// One of the player's rotating output buffers: 16-bit PCM memory and its device header.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/audio/winmm.h"

namespace wd {

/**
 * Memory of a fixed capacity in bytes, the range of the track it holds (start sample and
 * frame count) and the WAVEHDR that hands it to a wave-out device. The header's user data
 * points back at the buffer. Not thread-safe: the Player guards it.
 */
class PlayBuffer {
public:
    PlayBuffer() = default;
    PlayBuffer(const PlayBuffer&) = delete;
    PlayBuffer& operator=(const PlayBuffer&) = delete;

    /** Replaces the memory by `bytes` (even) bytes of zeros; the old memory is freed.
     * Must not be called while the header is queued on a device. */
    void allocate(int bytes);
    /** Sets every byte to zero (silence). */
    void clear();

    int16_t* samples() { return memory_.data(); }
    const int16_t* samples() const { return memory_.data(); }
    /** Capacity in bytes. */
    int capacity() const { return static_cast<int>(memory_.size() * sizeof(int16_t)); }

    /** The track range held: first sample and frames (per channel). */
    void setRange(int start, int frames) {
        start_ = start;
        frameCount_ = frames;
    }
    int start() const { return start_; }
    int frameCount() const { return frameCount_; }

    /** Points the header at the whole memory (length = capacity, so a zeroed tail plays as
     * silence), clears its flags and sets its user data to this buffer. */
    WAVEHDR& prepareHeader();
    WAVEHDR& header() { return header_; }

private:
    std::vector<int16_t> memory_;
    int start_ = 0;
    int frameCount_ = 0;
    WAVEHDR header_{};
};

}  // namespace wd
