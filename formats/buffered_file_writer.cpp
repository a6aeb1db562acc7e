#include "formats/buffered_file_writer.h"

#include <cstring>

namespace wd {

BufferedFileWriter::~BufferedFileWriter() { Close(); }

bool BufferedFileWriter::Open(const std::string& path) {
    Close();
    file_ = std::fopen(path.c_str(), "wb");
    if (!file_) return false;
    buffer_ = std::make_unique<unsigned char[]>(kBufferBytes);
    fill_ = 0;
    failed_ = false;
    return true;
}

bool BufferedFileWriter::Write(const void* data, size_t length) {
    if (!file_ || failed_ || length > kBufferBytes || (length && !data)) return false;
    const auto* bytes = static_cast<const unsigned char*>(data);
    if (fill_ + length <= kBufferBytes) {
        std::memcpy(buffer_.get() + fill_, bytes, length);
        fill_ += length;
        return true;
    }
    // Top the buffer up to exactly its size, write it as one block, keep the rest.
    size_t top = kBufferBytes - fill_;
    std::memcpy(buffer_.get() + fill_, bytes, top);
    if (std::fwrite(buffer_.get(), 1, kBufferBytes, file_) != kBufferBytes) failed_ = true;
    std::memcpy(buffer_.get(), bytes + top, length - top);
    fill_ = length - top;
    return !failed_;
}

bool BufferedFileWriter::Close() {
    if (!file_) return true;
    if (fill_ && !failed_ && std::fwrite(buffer_.get(), 1, fill_, file_) != fill_) failed_ = true;
    if (std::fclose(file_) != 0) failed_ = true;
    file_ = nullptr;
    buffer_.reset();
    fill_ = 0;
    return !failed_;
}

}  // namespace wd
