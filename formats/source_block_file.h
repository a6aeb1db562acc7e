// A block whose samples stay in the sound file they were opened from.
#pragma once

#include <cstdint>
#include <memory>

#include "model/block_file.h"
#include "model/block_summary.h"

namespace wd {

class SourceFile;

/**
 * Refers to up to kMaxSamples frames of one channel of a SourceFile, holding the file
 * open while it lives; only its summary (computed when the file was opened) is kept, in
 * memory. It is complete when made: write() stores nothing. Reads fail (-1) once the file
 * was rewritten in place.
 */
class SourceBlockFile final : public BlockFile {
public:
    /** The frames [firstFrame, firstFrame + summary's samples) of channel; sampleCount of
     * them, summarised by summary. */
    SourceBlockFile(uint32_t serial, std::shared_ptr<SourceFile> source, int channel, int64_t firstFrame,
                    int sampleCount, BlockSummary summary);

    /** Always 0: the samples are the file's. */
    int write(const float* data, int byteCount) override;
    /** Whole samples only, which is all the sequences ask for: an offset off the sample
     * grid fails (-1), a count is cut to whole samples. */
    int readBytes(void* dst, int byteCount, int byteOffset) const override;
    int readSummary64k(float* dst, int count, int firstEntry) const override;
    int readSummary256(float* dst, int count, int firstEntry) const override;
    bool sourceOrigin(SourceOrigin& origin) const override;

private:
    const std::shared_ptr<SourceFile> source_;
    const int channel_;
    const int64_t firstFrame_;
    const BlockSummary summary_;
};

}  // namespace wd
