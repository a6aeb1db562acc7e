// Reads a channel's samples converted to another sample rate.
#pragma once

#include <samplerate.h>

#include "model/sample_queue.h"

namespace wd {

class Channel;

/**
 * Pulls a range of a channel's samples through libsamplerate's best sinc converter and
 * delivers them at the target rate in any amounts. Input is read 1024 samples at a time;
 * when it ends the converter is told so and drained, so the whole range comes out: the
 * total delivered is sampleCount x targetRate / sourceRate within a sample or two,
 * aligned with the source (the converter's own delay is compensated).
 *
 * Two channels may be converted together by one converter, which shares its filter work
 * between them (the shorter channel is read as if padded with silence to the longer's
 * length); each channel's samples are the same as a reader of its own would give.
 *
 * Use: setSource(), start(), read() until it delivers less than asked, close() (or
 * destroy). It may be started again after close(). The reader belongs to one thread; the
 * source channels' sequences may be read meanwhile by others but must outlive the reader.
 */
class ResampleReader {
public:
    static constexpr int kChunk = 1024;

    ResampleReader() = default;
    ~ResampleReader();
    ResampleReader(const ResampleReader&) = delete;
    ResampleReader& operator=(const ResampleReader&) = delete;

    /** The channel to read and its rate in Hz. @returns false (nothing kept) for null. */
    bool setSource(const Channel* channel, int sourceRate);
    /** Two channels of one rate, read and converted together. @returns false (nothing
     * kept) when either is null. */
    bool setSources(const Channel* first, const Channel* second, int sourceRate);
    /**
     * Prepares a conversion to targetRate (Hz) of sampleCount source samples from
     * startSample. A negative sampleCount, or one running past the end of the (longer)
     * channel, means up to the end. Rates outside libsamplerate's ratio range (1/256 to
     * 256), or not positive, give a reader that delivers nothing. @returns true.
     */
    bool start(int targetRate, int startSample, int sampleCount);
    /** Delivers up to n converted samples into dst: n until the input is used up, then
     * what is left, then 0. One channel only (setSource); 0 for two. */
    int read(float* dst, int n);
    /** As read(), for two channels (setSources): up to n samples of each. */
    int read(float* first, float* second, int n);
    /** Frees the queue and the converter. */
    void close();
    /** True once a read of the source came short of what the channel holds there (an
     * unreadable block), or the converter failed: the samples delivered then miss part of
     * the range. Reset by start(). */
    bool sourceFailed() const { return sourceFailed_; }

private:
    // Delivers up to `frames` converted frames, interleaved, into dst.
    int readFrames(float* dst, int frames);
    // Reads the next piece of source into the input buffer; marks the end of input when
    // fewer than kChunk frames come.
    void refill();

    const Channel* sources_[2] = {};
    int channels_ = 0;
    int sourceRate_ = 0;
    int targetRate_ = 0;
    SRC_STATE* converter_ = nullptr;
    SRC_DATA data_{};
    float input_[2 * kChunk] = {};
    float output_[2 * kChunk] = {};
    float piece_[kChunk] = {};
    int startSample_ = 0;
    int sampleCount_ = 0;
    int consumed_ = 0;
    bool drained_ = true;
    bool sourceFailed_ = false;
    SampleQueue queue_;  // interleaved frames
};

}  // namespace wd
