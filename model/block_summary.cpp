#include "model/block_summary.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE__)
#include <immintrin.h>
#endif

#include "model/block_file.h"

namespace wd {
namespace {

constexpr int kEntryFloats = 2;
constexpr int kEntryBytes = kEntryFloats * static_cast<int>(sizeof(float));
static_assert(BlockFile::kSummary256Samples == 256 && BlockFile::kSummary64kSamples == 65536);

// The minimum and maximum of data[from, to) by the stored floats' own comparisons
// (x < min, x > max), starting from the first sample: ties keep the first value seen,
// which decides between -0.0 and +0.0, and a NaN counts only as the first sample.
void scalarMinMax(const float* data, int from, int to, float& lo, float& hi) {
    lo = hi = data[from];
    for (int i = from + 1; i < to; ++i) {
        const float v = data[i];
        lo = v < lo ? v : lo;
        hi = v > hi ? v : hi;
    }
}

#if defined(__SSE__)
// The same result, four lanes at a time in two accumulators. minps(v, l) is exactly
// `v < l ? v : l` (maxps likewise): a NaN in v is never taken, a NaN in l stays. Each lane
// starts from the first sample, so a NaN there spreads to every lane as it stays in the
// scalar fold. Lanes can only disagree with the scalar fold on which of two equal values
// came first, which matters only for zeros (-0.0 == +0.0): those runs are folded again in
// order.
void fastMinMax(const float* data, int from, int to, float& lo, float& hi) {
    const __m128 first = _mm_set1_ps(data[from]);
    __m128 l0 = first, l1 = first, h0 = first, h1 = first;
    int i = from;
    for (; i + 8 <= to; i += 8) {
        const __m128 a = _mm_loadu_ps(data + i);
        const __m128 b = _mm_loadu_ps(data + i + 4);
        l0 = _mm_min_ps(a, l0);
        h0 = _mm_max_ps(a, h0);
        l1 = _mm_min_ps(b, l1);
        h1 = _mm_max_ps(b, h1);
    }
    alignas(16) float lows[8], highs[8];
    _mm_store_ps(lows, l0);
    _mm_store_ps(lows + 4, l1);
    _mm_store_ps(highs, h0);
    _mm_store_ps(highs + 4, h1);
    lo = lows[0];
    hi = highs[0];
    for (int k = 1; k < 8; ++k) {
        lo = lows[k] < lo ? lows[k] : lo;
        hi = highs[k] > hi ? highs[k] : hi;
    }
    for (; i < to; ++i) {
        lo = data[i] < lo ? data[i] : lo;
        hi = data[i] > hi ? data[i] : hi;
    }
    if (lo == 0.0f || hi == 0.0f) scalarMinMax(data, from, to, lo, hi);
}
#else
void fastMinMax(const float* data, int from, int to, float& lo, float& hi) {
    scalarMinMax(data, from, to, lo, hi);
}
#endif

}  // namespace

int BlockSummary::bytes() const {
    return (count64k_ + count256_) * kEntryBytes;
}

int BlockSummary::bytesFor(int sampleCount) {
    return (((sampleCount + kCoarseSamples - 1) >> 16) + ((sampleCount + kRunSamples - 1) >> 8)) * kEntryBytes;
}

void BlockSummary::restore(int sampleCount, const void* stored) {
    allocate(sampleCount);
    std::memcpy(entries_.get(), stored, static_cast<size_t>(bytes()));
}

void BlockSummary::allocate(int sampleCount) {
    count64k_ = (sampleCount + kCoarseSamples - 1) >> 16;
    count256_ = (sampleCount + kRunSamples - 1) >> 8;
    entries_ = std::make_unique<float[]>(static_cast<size_t>(count64k_ + count256_) * kEntryFloats);
}

void BlockSummary::compute(const float* data, int sampleCount) {
    computeRuns(sampleCount, [data](int from, int to, float& lo, float& hi) { fastMinMax(data, from, to, lo, hi); });
}

int BlockSummary::read(float* dst, int count, int first, int levelStart, int levelCount) const {
    if (first < 0 || count < 0) return -1;
    const int n = std::min(count, levelCount - first);
    if (n < 1) return 0;
    std::memcpy(dst, entries_.get() + (levelStart + first) * kEntryFloats, static_cast<size_t>(n) * kEntryBytes);
    return n;
}

int BlockSummary::read64k(float* dst, int count, int first) const {
    return read(dst, count, first, 0, count64k_);
}

int BlockSummary::read256(float* dst, int count, int first) const {
    return read(dst, count, first, count64k_, count256_);
}

}  // namespace wd
