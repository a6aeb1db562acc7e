#include "model/block_summary.h"

#include <algorithm>
#include <cstring>

#include "model/block_file.h"
#include "platform/simd/sample_kernels.h"

namespace wd {
namespace {

constexpr int kEntryFloats = 2;
constexpr int kEntryBytes = kEntryFloats * static_cast<int>(sizeof(float));
static_assert(BlockFile::kSummary256Samples == 256 && BlockFile::kSummary64kSamples == 65536);

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
    computeRuns(sampleCount, [data](int from, int to, float& lo, float& hi) { minMaxFloat(data, from, to, lo, hi); });
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
