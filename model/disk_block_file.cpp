#include "model/disk_block_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <utility>
#include <vector>

#include "model/block_factory.h"

namespace wd {
namespace {

// Writes every byte of the parts in order, resuming after short writes; false on any
// error. Pieces of at most kWritePiece bytes: the kernel copies a piece that size into the
// page cache several times faster than a whole block at once (measured: 64 KiB pieces
// take a fifth of the processor time of 1 MiB writes).
constexpr size_t kWritePiece = 64 * 1024;

bool writeAll(int fd, const iovec* parts, int partCount) {
    for (int p = 0; p < partCount; ++p) {
        const char* data = static_cast<const char*>(parts[p].iov_base);
        size_t left = parts[p].iov_len;
        while (left > 0) {
            const ssize_t done = ::write(fd, data, std::min(left, kWritePiece));
            if (done < 0 && errno == EINTR) continue;
            if (done <= 0) return false;
            data += done;
            left -= static_cast<size_t>(done);
        }
    }
    return true;
}

// Reads exactly n bytes at offset. False on an error or a short file.
bool readAll(int fd, char* dst, size_t n, off_t offset) {
    while (n > 0) {
        ssize_t got = ::pread(fd, dst, n, offset);
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

}  // namespace

DiskBlockFile::DiskBlockFile(uint32_t serial, std::string path) : BlockFile(Kind::Disk, serial, std::move(path)) {}

DiskBlockFile* DiskBlockFile::reopen(uint32_t serial, std::string path, int sampleCount) {
    if (sampleCount < 1 || sampleCount > kMaxSamples) return nullptr;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return nullptr;
    auto block = std::make_unique<DiskBlockFile>(serial, std::move(path));
    std::vector<char> stored(static_cast<size_t>(BlockSummary::bytesFor(sampleCount)));
    struct stat st {};
    const bool ok = ::fstat(fd, &st) == 0 && st.st_size == static_cast<off_t>(stored.size()) + sampleCount * 4 &&
                    readAll(fd, stored.data(), stored.size(), 0);
    ::close(fd);
    if (!ok) {
        block->path_.clear();  // not this block's to delete
        return nullptr;
    }
    block->summary_.restore(sampleCount, stored.data());
    block->length_ = sampleCount * static_cast<int>(sizeof(float));
    return block.release();
}

DiskBlockFile::~DiskBlockFile() {
    if (!path_.empty()) {
        ::unlink(path_.c_str());
        path_.clear();
    }
}

int DiskBlockFile::write(const float* data, int byteCount) {
    if (!data || byteCount < static_cast<int>(sizeof(float)) || length_ == capacity_) return 0;
    // Whole samples only, and never more than a block holds.
    const int bytes = std::min(byteCount, capacity_) & ~3;
    const int sampleCount = bytes / static_cast<int>(sizeof(float));
    summary_.compute(data, sampleCount);
    length_ = 0;

    int fd = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) {
        BlockFactory::instance().noteWriteError(errno);
        return -1;
    }
    iovec parts[2] = {{const_cast<float*>(summary_.data()), static_cast<size_t>(summary_.bytes())},
                      {const_cast<float*>(data), static_cast<size_t>(bytes)}};
    const bool written = writeAll(fd, parts, 2);
    const int writeError = errno;
    // A full disk may only be reported when the file is closed.
    const bool closed = ::close(fd) == 0;
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
    int fd = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return noteReadFailure();
    const bool ok = readAll(fd, static_cast<char*>(dst), static_cast<size_t>(n), static_cast<off_t>(summary_.bytes()) + byteOffset);
    ::close(fd);
    return ok ? n : noteReadFailure();
}

int DiskBlockFile::readSummary64k(float* dst, int count, int firstEntry) const {
    return summary_.read64k(dst, count, firstEntry);
}

int DiskBlockFile::readSummary256(float* dst, int count, int firstEntry) const {
    return summary_.read256(dst, count, firstEntry);
}

}  // namespace wd
