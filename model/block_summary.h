// The two min/max summary levels of one block's samples.
#pragma once

#include <memory>

namespace wd {

/**
 * Computed once from a block's samples in memory and kept there (at most 8,224 bytes per
 * block), so drawing a zoomed-out view needs no file access. Layout, floats in order:
 * count64k x (minimum, maximum), one per 65,536 samples, then count256 x (minimum,
 * maximum), one per 256 samples; the last run of each level covers the samples that
 * remain. Each run's minimum and maximum start from its first sample and fold the later
 * ones by the floats' own comparisons (x < min, x > max).
 */
class BlockSummary {
public:
    BlockSummary() = default;

    /** Summarises sampleCount (at least 1) samples of data. */
    void compute(const float* data, int sampleCount);

    /**
     * The same from each 256-sample run's minimum and maximum, as
     * runMinMax(first, end, float& lo, float& hi) gives them for samples [first, end):
     * for samples that are not at hand as floats.
     */
    template <typename RunMinMax>
    void computeRuns(int sampleCount, RunMinMax runMinMax);

    /** bytes() of a summary of sampleCount samples. */
    static int bytesFor(int sampleCount);
    /** Takes both levels of sampleCount samples as bytes() bytes stored earlier (in
     * data()'s layout). */
    void restore(int sampleCount, const void* stored);

    /** Entries of the 65,536-sample level: (samples + 65535) >> 16. */
    int count64k() const { return count64k_; }
    /** Entries of the 256-sample level: (samples + 255) >> 8. */
    int count256() const { return count256_; }
    /** Bytes of both levels. */
    int bytes() const;
    /** Both levels, float for float (bytes() / 4 floats). */
    const float* data() const { return entries_.get(); }

    /** Copies count pairs of the 65,536-sample level from entry first.
     * @returns the pairs copied (fewer at the end), or -1 for a negative first or count. */
    int read64k(float* dst, int count, int first) const;
    /** As read64k, for the 256-sample level. */
    int read256(float* dst, int count, int first) const;

private:
    static constexpr int kRunSamples = 256;
    static constexpr int kCoarseSamples = 65536;
    void allocate(int sampleCount);
    int read(float* dst, int count, int first, int levelStart, int levelCount) const;

    int count64k_ = 0;
    int count256_ = 0;
    std::unique_ptr<float[]> entries_;
};

template <typename RunMinMax>
void BlockSummary::computeRuns(int sampleCount, RunMinMax runMinMax) {
    allocate(sampleCount);
    float* coarse = entries_.get();
    float* fine = coarse + count64k_ * 2;
    // Each coarse run's minimum and maximum start from its first fine run's and fold in
    // the others' in order.
    for (int run = 0; run * kCoarseSamples < sampleCount; ++run) {
        float runMin = 0.0f, runMax = 0.0f;
        for (int sub = 0; sub < kCoarseSamples / kRunSamples; ++sub) {
            const int subStart = run * kCoarseSamples + sub * kRunSamples;
            if (subStart >= sampleCount) break;
            float lo, hi;
            runMinMax(subStart, subStart + kRunSamples < sampleCount ? subStart + kRunSamples : sampleCount, lo, hi);
            float* entry = fine + (run * (kCoarseSamples / kRunSamples) + sub) * 2;
            entry[0] = lo;
            entry[1] = hi;
            runMin = sub == 0 || lo < runMin ? lo : runMin;
            runMax = sub == 0 || hi > runMax ? hi : runMax;
        }
        coarse[run * 2] = runMin;
        coarse[run * 2 + 1] = runMax;
    }
}

}  // namespace wd
