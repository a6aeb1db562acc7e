// A block whose samples and min/max summaries live in a temporary file.
#pragma once

#include <string>

#include "model/block_file.h"
#include "model/block_summary.h"

namespace wd {

/**
 * File layout (little-endian, no header, every value a 32-bit float):
 *
 *   offset 0                 summary64kCount x (minimum, maximum), one per 65,536 samples
 *   summary256Offset         summary256Count x (minimum, maximum), one per 256 samples
 *   summaryBytes             the samples
 *
 * The summary area is BlockSummary's layout. The layout is kept only in memory, so a file
 * cannot be reopened by a later process. The summary area is also kept in memory: drawing
 * a zoomed-out view then needs no file access at all, while sample reads open the file,
 * read and close it again.
 */
class DiskBlockFile final : public BlockFile {
public:
    /** A block that will be written to path (an existing file there is overwritten). */
    DiskBlockFile(uint32_t serial, std::string path);
    /** A block over a file written earlier by a block of sampleCount samples (kept, as
     * it is, at path): its summary is read back. @returns null when the file is missing or
     * its size does not match. */
    static DiskBlockFile* reopen(uint32_t serial, std::string path, int sampleCount);
    /** Deletes the file. */
    ~DiskBlockFile() override;

    int write(const float* data, int byteCount) override;
    int readBytes(void* dst, int byteCount, int byteOffset) const override;
    int readSummary64k(float* dst, int count, int firstEntry) const override;
    int readSummary256(float* dst, int count, int firstEntry) const override;

    /** Entries of the 65,536-sample level: (samples + 65535) >> 16. */
    int summary64kCount() const { return summary_.count64k(); }
    /** Byte offset of the 256-sample level in the file: summary64kCount x 8. */
    int summary256Offset() const { return summary_.count64k() * 8; }
    /** Entries of the 256-sample level: (samples + 255) >> 8. */
    int summary256Count() const { return summary_.count256(); }
    /** Bytes of both levels; the samples start at this offset. */
    int summaryBytes() const { return summary_.bytes(); }

private:
    BlockSummary summary_;
};

}  // namespace wd
