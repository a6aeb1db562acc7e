// Reads a sequence in small pieces through a larger window.
#pragma once

#include <vector>

namespace wd {

class Sequence;

/**
 * Serves reads of a few samples (an effect's 1024-sample chunks) from a window of
 * kWindow samples read at once, so that a block file is opened once per window rather
 * than once per chunk. Reads may go forwards or backwards. The sequence must not change
 * while the reader is used (an open splice does not change it). One thread.
 */
class WindowedReader {
public:
    static constexpr int kWindow = 65536;

    explicit WindowedReader(const Sequence& sequence) : sequence_(sequence) {}

    /** As Sequence::readSamples: up to count samples from position, fewer at the end or
     * when a block cannot be read. */
    int read(float* dst, int position, int count);

private:
    const Sequence& sequence_;
    std::vector<float> window_;
    int windowStart_ = 0;
    int windowCount_ = 0;
};

}  // namespace wd
