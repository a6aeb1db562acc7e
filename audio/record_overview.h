// The reduced picture of one recorded channel: a minimum and maximum per 1000 samples.
#pragma once

#include <mutex>
#include <vector>

namespace wd {

/**
 * Made by the Recorder for each channel of a take and drawn by the record window: one
 * (minimum, maximum) pair per block of kBlockSamples samples, reduced as the samples
 * arrive, so drawing a long take costs one line per pair and no access to the samples.
 * The pairs live in two arrays of equal capacity, kCapacityStep pairs at first and
 * kCapacityStep more whenever they are full.
 *
 * Threads: feed() runs on the recording thread while the user-interface thread reads the
 * pairs (both under a lock of the overview's own); finish() runs once the recording has
 * stopped. The view offset and the cursor belong to the user-interface thread.
 */
class RecordOverview {
public:
    static constexpr int kBlockSamples = 1000;
    static constexpr int kCapacityStep = 131072;

    RecordOverview();
    RecordOverview(const RecordOverview&) = delete;
    RecordOverview& operator=(const RecordOverview&) = delete;

    /** Adds count samples: each time kBlockSamples have gathered, their smallest and
     * largest become one more pair; what remains waits for the next call. */
    void feed(const float* samples, int count);
    /** The samples still waiting, fewer than a block, become one last pair. */
    void finish();
    /** Adds one pair; the arrays grow by kCapacityStep pairs when they are full. */
    void appendPair(float minimum, float maximum);

    int pairCount() const;
    /** Pairs the arrays hold room for. */
    int capacity() const;
    /** Copies up to count pairs from pair `first` on; @returns how many were copied. */
    int pairs(int first, int count, float* minima, float* maxima) const;

    /** The first pair the record window shows. */
    int viewOffset() const { return viewOffset_; }
    void setViewOffset(int offset) { viewOffset_ = offset; }
    /** The pair under the record window's play cursor (0 at first). */
    int cursor() const { return cursor_; }
    void setCursor(int pair) { cursor_ = pair; }

private:

    mutable std::mutex mutex_;  // the arrays and the pair count
    std::vector<float> minima_;
    std::vector<float> maxima_;
    int count_ = 0;
    // The feeding thread's own: the samples of the block begun, by their count and extremes.
    int pending_ = 0;
    float pendingMinimum_ = 0.0f;
    float pendingMaximum_ = 0.0f;
    int viewOffset_ = 0;
    int cursor_ = 0;
};

}  // namespace wd
