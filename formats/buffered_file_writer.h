// An output file written through one 1 MiB buffer.
#pragma once

#include <memory>
#include <string>

#include "formats/output_file.h"

namespace wd {

/**
 * Collects small writes (encoder output) into a 1,048,576-byte buffer and writes the file
 * one full buffer at a time. A single Write may hand at most kBufferBytes. Errors are
 * sticky: after a failed write every further call fails and Close reports it, so an
 * encoder's caller learns of a full disk at the end if not before.
 *
 * The file is written under a temporary name beside the target (OutputFile) and takes the
 * target's name only when Close succeeds; Discard, a failed Close or destruction before
 * Close leave an existing target untouched and no temporary file behind.
 */
class BufferedFileWriter {
public:
    static constexpr size_t kBufferBytes = 1048576;

    BufferedFileWriter() = default;
    /** Discards a file that was not closed. */
    ~BufferedFileWriter();
    BufferedFileWriter(const BufferedFileWriter&) = delete;
    BufferedFileWriter& operator=(const BufferedFileWriter&) = delete;

    /** Starts the file. @returns false (reason in problem()) when path is not a regular
     * file or its folder does not take a new file. */
    bool Open(const std::string& path);
    /** @returns false when length exceeds kBufferBytes, the file is not open, or an
     * earlier or this write failed. */
    bool Write(const void* data, size_t length);
    /** Writes what is buffered and puts the file in place. @returns false when any write
     * or the close failed (the target is then untouched); true when nothing is open. */
    bool Close();
    /** Drops the file; an existing target stays as it was. */
    void Discard();
    bool isOpen() const { return output_.isOpen(); }
    /** Why Open, a Write or Close failed. */
    FileProblem problem() const { return writeProblem_ != FileProblem::None ? writeProblem_ : output_.problem(); }

private:
    bool writeAll(const unsigned char* data, size_t length);

    OutputFile output_;
    FileProblem writeProblem_ = FileProblem::None;
    std::unique_ptr<unsigned char[]> buffer_;
    size_t fill_ = 0;
    bool failed_ = false;
};

}  // namespace wd
