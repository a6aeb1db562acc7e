// A block of silence: stores nothing on disk and reads as zeros.
#pragma once

#include "model/block_file.h"

namespace wd {

/** Has a length but no file; its samples and both summary levels read as 0.0. */
class SilentBlockFile final : public BlockFile {
public:
    explicit SilentBlockFile(uint32_t serial);

    /** Adds byteCount bytes of silence (data may be null and is not read).
     * @returns the bytes added; 0 when the block was full; when the block overflows it is
     *          left full and the result is 0. */
    int write(const float* data, int byteCount) override;
    int readBytes(void* dst, int byteCount, int byteOffset) const override;
    /** Fills count pairs with zeros (there is no entry count to stop at). */
    int readSummary64k(float* dst, int count, int firstEntry) const override;
    int readSummary256(float* dst, int count, int firstEntry) const override;
};

}  // namespace wd
