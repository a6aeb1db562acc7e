#include "model/silent_block_file.h"

#include <algorithm>
#include <cstring>

namespace wd {

SilentBlockFile::SilentBlockFile(uint32_t serial) : BlockFile(Kind::Silent, serial, std::string()) {}

int SilentBlockFile::write(const float*, int byteCount) {
    const int bytes = byteCount & ~3;
    if (bytes <= 0 || length_ == capacity_) return 0;
    if (bytes <= capacity_ - length_) {
        length_ += bytes;
        return bytes;
    }
    length_ = capacity_;
    return 0;
}

int SilentBlockFile::readBytes(void* dst, int byteCount, int byteOffset) const {
    if (byteCount < 0 || byteOffset < 0) return -1;
    const int n = std::min(length_ - byteOffset, byteCount);
    if (n <= 0) return 0;
    std::memset(dst, 0, static_cast<size_t>(n));
    return n;
}

int SilentBlockFile::readSummary64k(float* dst, int count, int firstEntry) const {
    if (firstEntry < 0 || count < 0) return -1;
    std::memset(dst, 0, static_cast<size_t>(count) * 2 * sizeof(float));
    return count;
}

int SilentBlockFile::readSummary256(float* dst, int count, int firstEntry) const {
    return readSummary64k(dst, count, firstEntry);
}

}  // namespace wd
