#include "model/disk_block_file.h"

#include <algorithm>
#include <cerrno>
#include <memory>
#include <utility>
#include <vector>

#include "model/block_factory.h"
#include "platform/files/file_io.h"

namespace wd {
namespace {

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

}  // namespace

DiskBlockFile::DiskBlockFile(uint32_t serial, std::string path) : BlockFile(Kind::Disk, serial, std::move(path)) {}

DiskBlockFile* DiskBlockFile::reopen(uint32_t serial, std::string path, int sampleCount) {
    if (sampleCount < 1 || sampleCount > kMaxSamples) return nullptr;
    const int fd = openForReading(path);
    if (fd < 0) return nullptr;
    auto block = std::make_unique<DiskBlockFile>(serial, std::move(path));
    std::vector<char> stored(static_cast<size_t>(BlockSummary::bytesFor(sampleCount)));
    const bool ok = fileSize(fd) == static_cast<int64_t>(stored.size()) + sampleCount * 4 &&
                    readAll(fd, stored.data(), stored.size(), 0);
    closeFile(fd);
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
        removeFile(path_);
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

    int fd = createPrivateFile(path_);
    if (fd < 0) {
        BlockFactory::instance().noteWriteError(errno);
        return -1;
    }
    const Part parts[2] = {{summary_.data(), static_cast<size_t>(summary_.bytes())}, {data, static_cast<size_t>(bytes)}};
    const bool written = writeAll(fd, parts, 2);
    const int writeError = errno;
    // The journal syncs the file system at every save and at most 10 s after a change, so
    // the block goes to the disk soon anyway: starting now spreads the writing over the work
    // that makes the blocks instead of stalling the next sync.
    if (written) startWriteBack(fd, 0, static_cast<int64_t>(parts[0].size) + bytes);
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
    if (fd < 0) return noteReadFailure();
    const bool ok = readAll(fd, static_cast<char*>(dst), static_cast<size_t>(n), static_cast<int64_t>(summary_.bytes()) + byteOffset);
    closeFile(fd);
    return ok ? n : noteReadFailure();
}

int DiskBlockFile::readSummary64k(float* dst, int count, int firstEntry) const {
    return summary_.read64k(dst, count, firstEntry);
}

int DiskBlockFile::readSummary256(float* dst, int count, int firstEntry) const {
    return summary_.read256(dst, count, firstEntry);
}

}  // namespace wd
