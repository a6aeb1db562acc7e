#include "formats/buffered_file_writer.h"

#include <cerrno>
#include <cstring>

#include "platform/files/file_io.h"

namespace wd {

BufferedFileWriter::~BufferedFileWriter() { Discard(); }

bool BufferedFileWriter::Open(const std::string& path) {
    Discard();
    writeProblem_ = FileProblem::None;
    if (!output_.open(path)) return false;
    buffer_ = std::make_unique<unsigned char[]>(kBufferBytes);
    fill_ = 0;
    failed_ = false;
    return true;
}

bool BufferedFileWriter::writeAll(const unsigned char* data, size_t length) {
    while (length > 0) {
        const long written = writeFile(output_.descriptor(), data, length);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) {
            writeProblem_ = problemOfErrno(written < 0 ? errno : ENOSPC);
            return false;
        }
        data += written;
        length -= static_cast<size_t>(written);
    }
    output_.wrote();
    return true;
}

bool BufferedFileWriter::Write(const void* data, size_t length) {
    if (!output_.isOpen() || failed_ || length > kBufferBytes || (length && !data)) return false;
    const auto* bytes = static_cast<const unsigned char*>(data);
    if (fill_ + length <= kBufferBytes) {
        std::memcpy(buffer_.get() + fill_, bytes, length);
        fill_ += length;
        return true;
    }
    // Top the buffer up to exactly its size, write it as one block, keep the rest.
    size_t top = kBufferBytes - fill_;
    std::memcpy(buffer_.get() + fill_, bytes, top);
    if (!writeAll(buffer_.get(), kBufferBytes)) failed_ = true;
    std::memcpy(buffer_.get(), bytes + top, length - top);
    fill_ = length - top;
    return !failed_;
}

bool BufferedFileWriter::Close() {
    if (!output_.isOpen()) return true;
    if (fill_ && !failed_ && !writeAll(buffer_.get(), fill_)) failed_ = true;
    if (failed_) {
        output_.discard();
    } else if (!output_.commit()) {
        failed_ = true;
    }
    buffer_.reset();
    fill_ = 0;
    return !failed_;
}

void BufferedFileWriter::Discard() {
    output_.discard();
    buffer_.reset();
    fill_ = 0;
}

}  // namespace wd
