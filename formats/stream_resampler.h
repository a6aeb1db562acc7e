// Converts a stream that arrives in pieces from one sample rate to another.
#pragma once

#include <memory>
#include <vector>

namespace wd {

/**
 * libsamplerate's sinc converter over pieces of interleaved float frames; the filter's
 * state carries from one piece to the next, so the joins are seamless. Used where a
 * file's later frames come at another rate than the track was made with. One thread.
 */
class StreamResampler {
public:
    /** @param channels 1 or 2; rates in Hz, both above 0 */
    StreamResampler(int channels, int fromRate, int toRate);
    ~StreamResampler();
    StreamResampler(const StreamResampler&) = delete;
    StreamResampler& operator=(const StreamResampler&) = delete;

    int fromRate() const { return fromRate_; }

    /**
     * Converts frames of interleaved input and appends what comes out to out.
     * @param last true for the final piece: the converter's tail is drained too
     * @returns false when the converter failed (out is then as it was)
     */
    bool process(const float* input, long frames, bool last, std::vector<float>& out);

private:
    struct Deleter {
        void operator()(void* state) const;
    };
    std::unique_ptr<void, Deleter> state_;
    int channels_;
    int fromRate_;
    double ratio_;
};

}  // namespace wd
