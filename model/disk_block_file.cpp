#include "model/disk_block_file.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

#if defined(__SSE__)
#include <immintrin.h>
#endif

#include "model/block_factory.h"
#include "platform/files/file_io.h"

namespace wd {
namespace {

constexpr int kEntryFloats = 2;
constexpr int kEntryBytes = kEntryFloats * static_cast<int>(sizeof(float));

// Writes every byte of the parts in order, resuming after short writes; false on any
// error. Pieces of at most kWritePiece bytes: the kernel copies a piece that size into the
// page cache several times faster than a whole block at once (measured: 64 KiB pieces
// take a fifth of the processor time of 1 MiB writes).
constexpr size_t kWritePiece = 64 * 1024;

struct Part {
    const void* data;
    size_t size;
};

bool writeAll(int fd, const Part* parts, int partCount) {
    for (int p = 0; p < partCount; ++p) {
        const char* data = static_cast<const char*>(parts[p].data);
        size_t left = parts[p].size;
        while (left > 0) {
            const long done = writeFile(fd, data, std::min(left, kWritePiece));
            if (done < 0 && errno == EINTR) continue;
            if (done <= 0) return false;
            data += done;
            left -= static_cast<size_t>(done);
        }
    }
    return true;
}

// Reads exactly n bytes at offset. False on an error or a short file.
bool readAll(int fd, char* dst, size_t n, int64_t offset) {
    while (n > 0) {
        long got = readFileAt(fd, dst, n, offset);
        if (got < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (got == 0) return false;
        dst += got;
        n -= static_cast<size_t>(got);
        offset += got;
    }
    return true;
}

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
void fastMinMax(const float* data, int from, int to, float& lo, float& hi) { scalarMinMax(data, from, to, lo, hi); }
#endif

}  // namespace

DiskBlockFile::DiskBlockFile(uint32_t serial, std::string path) : BlockFile(Kind::Disk, serial, std::move(path)) {}

DiskBlockFile::~DiskBlockFile() {
    if (!path_.empty()) {
        removeFile(path_);
        path_.clear();
    }
}

void DiskBlockFile::computeSummary(const float* data, int sampleCount) {
    summary64kCount_ = (sampleCount + kSummary64kSamples - 1) >> 16;
    summary256Offset_ = summary64kCount_ * kEntryBytes;
    summary256Count_ = (sampleCount + kSummary256Samples - 1) >> 8;
    summaryBytes_ = (summary64kCount_ + summary256Count_) * kEntryBytes;
    summary_ = std::make_unique<float[]>(static_cast<size_t>(summaryBytes_) / sizeof(float));
    float* coarse = summary_.get();
    float* fine = coarse + summary64kCount_ * kEntryFloats;

    // Each run's minimum and maximum start from its first sample and fold in its
    // sub-runs' ones in order.
    for (int run = 0; run * kSummary64kSamples < sampleCount; ++run) {
        const int runStart = run * kSummary64kSamples;
        float runMin = data[runStart];
        float runMax = data[runStart];
        for (int sub = 0; sub < kSummary64kSamples / kSummary256Samples; ++sub) {
            const int subStart = runStart + sub * kSummary256Samples;
            if (subStart >= sampleCount) break;
            float lo, hi;
            fastMinMax(data, subStart, std::min(subStart + kSummary256Samples, sampleCount), lo, hi);
            float* entry = fine + (run * (kSummary64kSamples / kSummary256Samples) + sub) * kEntryFloats;
            entry[0] = lo;
            entry[1] = hi;
            runMin = lo < runMin ? lo : runMin;
            runMax = hi > runMax ? hi : runMax;
        }
        coarse[run * kEntryFloats] = runMin;
        coarse[run * kEntryFloats + 1] = runMax;
    }
}

int DiskBlockFile::write(const float* data, int byteCount) {
    if (!data || byteCount < static_cast<int>(sizeof(float)) || length_ == capacity_) return 0;
    // Whole samples only, and never more than a block holds.
    const int bytes = std::min(byteCount, capacity_) & ~3;
    const int sampleCount = bytes / static_cast<int>(sizeof(float));
    computeSummary(data, sampleCount);
    length_ = 0;

    int fd = createPrivateFile(path_);
    if (fd < 0) {
        BlockFactory::instance().noteWriteError(errno);
        return -1;
    }
    const Part parts[2] = {{summary_.get(), static_cast<size_t>(summaryBytes_)}, {data, static_cast<size_t>(bytes)}};
    const bool written = writeAll(fd, parts, 2);
    const int writeError = errno;
    // A full disk may only be reported when the file is closed.
    const bool closed = closeFile(fd);
    if (!written || !closed) {
        BlockFactory::instance().noteWriteError(written ? errno : writeError);
        return -1;
    }
    length_ = bytes;
    return byteCount > capacity_ ? 0 : bytes;
}

int DiskBlockFile::readBytes(void* dst, int byteCount, int byteOffset) const {
    if (byteCount < 0 || byteOffset < 0) return -1;
    const int n = std::min(length_ - byteOffset, byteCount);
    if (n <= 0) return 0;
    int fd = openForReading(path_);
    if (fd < 0) return -1;
    const bool ok = readAll(fd, static_cast<char*>(dst), static_cast<size_t>(n), static_cast<int64_t>(summaryBytes_) + byteOffset);
    closeFile(fd);
    return ok ? n : -1;
}

int DiskBlockFile::readSummary(float* dst, int count, int firstEntry, int levelStart, int levelCount) const {
    if (firstEntry < 0 || count < 0) return -1;
    const int n = std::min(count, levelCount - firstEntry);
    if (n < 1) return 0;
    std::memcpy(dst, summary_.get() + (levelStart + firstEntry) * kEntryFloats, static_cast<size_t>(n) * kEntryBytes);
    return n;
}

int DiskBlockFile::readSummary64k(float* dst, int count, int firstEntry) const {
    return readSummary(dst, count, firstEntry, 0, summary64kCount_);
}

int DiskBlockFile::readSummary256(float* dst, int count, int firstEntry) const {
    return readSummary(dst, count, firstEntry, summary64kCount_, summary256Count_);
}

}  // namespace wd
