// Makes every block of the process and numbers them.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

#include "model/block_file.h"

namespace wd {

/**
 * Process-wide. Every block gets the next serial number (starting at 0); disk blocks also
 * get the next file number (starting at 0, silent blocks take none), which names their
 * file "<number>.temp" in the process's block folder (BlockFolder) inside the temporary
 * folder it was last given. Any thread.
 */
class BlockFactory {
public:
    static BlockFactory& instance();

    /**
     * A new, empty block with one reference, owned by the caller.
     * @returns the block, or null when a disk block is asked for and there is no
     *          temporary folder or the block folder cannot be made (the caller treats this
     *          as a failed write).
     */
    BlockFile* create(BlockFile::Kind kind);

    /**
     * A disk block of sampleCount samples over a copy of the block file at path, written
     * by another process: the file is linked (copied where it cannot be) into this
     * process's block folder under the next file number; path stays.
     * @returns the block with one reference, or null when the file is missing, does not
     *          hold sampleCount samples, or cannot be brought into the folder.
     */
    BlockFile* adopt(const std::string& path, int sampleCount);

    /** Takes the next serial number, for a block made elsewhere (one that refers to a
     * source file). */
    uint32_t takeSerial() { return serial_++; }

    /** The folder new disk blocks go to (inside their private block folder); a change
     * takes effect for the next block. The block folders of processes that are gone are
     * removed from it. */
    void setTempFolder(const std::string& folder);
    std::string tempFolder() const;

    /** The errno of the last disk block that could not be made or written (0: none yet),
     * and how many could not be so far: readers name the cause of a failed append with
     * them. Any thread. */
    int lastWriteError() const { return lastWriteError_.load(); }
    uint32_t writeFailures() const { return writeFailures_.load(); }
    void noteWriteError(int error) {
        lastWriteError_.store(error);
        ++writeFailures_;
    }

    /** The serial number the next block will get. */
    uint32_t nextSerial() const { return serial_.load(); }
    /** The file number the next disk block will get. */
    uint32_t nextFileNumber() const { return fileNumber_.load(); }

private:
    BlockFactory() = default;

    mutable std::mutex folderMutex_;
    std::string tempFolder_;
    std::atomic<int> lastWriteError_{0};
    std::atomic<uint32_t> writeFailures_{0};
    std::atomic<uint32_t> serial_{0};
    std::atomic<uint32_t> fileNumber_{0};
};

}  // namespace wd
