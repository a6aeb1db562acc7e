// Makes every block of the process and numbers them.
#pragma once

#include <atomic>
#include <cstdint>

#include "model/block_file.h"

namespace wd {

/**
 * Process-wide. Every block gets the next serial number (starting at 0); disk blocks also
 * get the next file number (starting at 0, silent blocks take none), which names their
 * file "<number>.temp" in the process's block folder (BlockFolder) inside the current
 * temporary folder (Settings). Any thread.
 */
class BlockFactory {
public:
    static BlockFactory& instance();

    /**
     * A new, empty block with one reference, owned by the caller.
     * @returns the block, or null when a disk block is asked for and the block folder
     *          cannot be made (the caller treats this as a failed write).
     */
    BlockFile* create(BlockFile::Kind kind);

    /** The serial number the next block will get. */
    uint32_t nextSerial() const { return serial_.load(); }
    /** The file number the next disk block will get. */
    uint32_t nextFileNumber() const { return fileNumber_.load(); }

private:
    BlockFactory() = default;

    std::atomic<uint32_t> serial_{0};
    std::atomic<uint32_t> fileNumber_{0};
};

}  // namespace wd
