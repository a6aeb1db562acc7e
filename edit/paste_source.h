// The clipboard's samples at the track's rate, one step at a time, for the paste workers.
#pragma once

#include <cstdint>
#include <memory>

#include "model/resample_reader.h"

namespace wd {

class Channel;

/**
 * Delivers one or two clipboard channels in steps of at most kChunk samples. At equal
 * rates the channels are read directly: the material is as long as the longer channel and
 * the shorter one is padded with zeros. At different rates the channels go through one
 * ResampleReader (the shorter one padded likewise), and steps go on while it delivers
 * full chunks.
 * Belongs to one worker thread.
 */
class PasteSource {
public:
    static constexpr int kChunk = 1024;

    /** right is null for a mono clipboard. Rates in Hz. */
    PasteSource(const Channel* left, const Channel* right, int clipRate, int trackRate);
    PasteSource(const PasteSource&) = delete;
    PasteSource& operator=(const PasteSource&) = delete;

    /** Whether another step follows. */
    bool more() const { return more_; }
    /** Fills left (and right, for two channels) with the next step's samples, zeros
     * beyond a channel's end. @returns the step's samples (0 to kChunk). */
    int next(float* left, float* right);
    /** Percent done after a step of count samples that ended at `written`. */
    int64_t percentAfter(int64_t written, int count) const;
    /** Percent done after a piece of count samples ending at `end` of n: a full piece
     * reports what is done with it, the last piece what was done before it (so a copy of
     * 1024 samples or fewer reports 0). */
    static int64_t percentAfter(int64_t end, int count, int64_t n);
    /** Closes the reader. */
    void close();

private:
    const Channel* channels_[2];
    bool sameRate_;
    bool more_ = true;
    int64_t length_ = 0;  // at equal rates: the material's samples
    int64_t offset_ = 0;
    int64_t expected_ = 0;  // at different rates: the material's samples at the track's rate
    std::unique_ptr<ResampleReader> reader_;
};

}  // namespace wd
