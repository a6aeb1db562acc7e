// A block whose samples and min/max summaries live in a temporary file.
#pragma once

#include <memory>
#include <string>

#include "model/block_file.h"

namespace wd {

/**
 * File layout (little-endian, no header, every value a 32-bit float):
 *
 *   offset 0                 summary64kCount x (minimum, maximum), one per 65,536 samples
 *   summary256Offset         summary256Count x (minimum, maximum), one per 256 samples
 *   summaryBytes             the samples
 *
 * The last run of each level covers the samples that remain. The layout is kept only in
 * memory, so a file cannot be reopened by a later process. The summary area is also kept
 * in memory (at most 8,224 bytes per block): drawing a zoomed-out view then needs no file
 * access at all, while sample reads open the file, read and close it again.
 */
class DiskBlockFile final : public BlockFile {
public:
    /** A block that will be written to path (an existing file there is overwritten). */
    DiskBlockFile(uint32_t serial, std::string path);
    /** Deletes the file. */
    ~DiskBlockFile() override;

    int write(const float* data, int byteCount) override;
    int readBytes(void* dst, int byteCount, int byteOffset) const override;
    int readSummary64k(float* dst, int count, int firstEntry) const override;
    int readSummary256(float* dst, int count, int firstEntry) const override;

    /** Entries of the 65,536-sample level: (samples + 65535) >> 16. */
    int summary64kCount() const { return summary64kCount_; }
    /** Byte offset of the 256-sample level in the file: summary64kCount x 8. */
    int summary256Offset() const { return summary256Offset_; }
    /** Entries of the 256-sample level: (samples + 255) >> 8. */
    int summary256Count() const { return summary256Count_; }
    /** Bytes of both levels; the samples start at this offset. */
    int summaryBytes() const { return summaryBytes_; }

private:
    void computeSummary(const float* data, int sampleCount);
    int readSummary(float* dst, int count, int firstEntry, int levelStart, int levelCount) const;

    int summary64kCount_ = 0;
    int summary256Offset_ = 0;
    int summary256Count_ = 0;
    int summaryBytes_ = 0;
    // The file's summary area, float for float.
    std::unique_ptr<float[]> summary_;
};

}  // namespace wd
