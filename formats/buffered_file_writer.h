// An output file written through one 1 MiB buffer.
#pragma once

#include <cstdio>
#include <memory>
#include <string>

namespace wd {

/**
 * Collects small writes (encoder output) into a 1,048,576-byte buffer and writes the file
 * one full buffer at a time. A single Write may hand at most kBufferBytes. Errors are
 * sticky: after a failed write every further call fails and Close reports it, so an
 * encoder's caller learns of a full disk at the end if not before.
 */
class BufferedFileWriter {
public:
    static constexpr size_t kBufferBytes = 1048576;

    BufferedFileWriter() = default;
    ~BufferedFileWriter();
    BufferedFileWriter(const BufferedFileWriter&) = delete;
    BufferedFileWriter& operator=(const BufferedFileWriter&) = delete;

    /** Creates (or truncates) the file. @returns false when it cannot be created. */
    bool Open(const std::string& path);
    /** @returns false when length exceeds kBufferBytes, the file is not open, or an
     * earlier or this write failed. */
    bool Write(const void* data, size_t length);
    /** Writes what is buffered and closes the file. @returns false when any write or the
     * close failed. */
    bool Close();
    bool isOpen() const { return file_ != nullptr; }

private:
    std::FILE* file_ = nullptr;
    std::unique_ptr<unsigned char[]> buffer_;
    size_t fill_ = 0;
    bool failed_ = false;
};

}  // namespace wd
