// The private folder of this process's block files inside the temporary folder.
#pragma once

#include <mutex>
#include <string>
#include <vector>

namespace wd {

/**
 * Block files live in a folder made for each process (mode 0700) inside the temporary
 * folder, so two processes sharing a temporary folder never overwrite each other's
 * blocks. The folder is removed, with any block still in it, when the process exits (or
 * the library is unloaded). A process that was killed cannot remove its folder: each
 * process holds a lock on its own folder while it lives, and a process that is given a
 * temporary folder (at start) reclaims the folders there whose owner is gone.
 * Thread-safe: blocks are made on worker threads too.
 */
class BlockFolder {
public:
    static BlockFolder& instance();

    /**
     * The private folder inside tempFolder, made when missing (missing parents of
     * tempFolder are made first). A folder removed behind the process's back is made
     * again under the same name.
     * @returns the folder's path, or an empty text when it cannot be made.
     */
    std::string folderFor(const std::string& tempFolder);

    /** Removes every private folder this process made, with what is left in them. */
    void removeAll();

    /** Removes the block folders in tempFolder of processes that are gone (no lock held
     * on them and no live process of the pid in their name), except those holding a file
     * ending in keepSuffix (their owner's journal, kept for recovery). @returns how many. */
    static int reclaimAbandoned(const std::string& tempFolder, const std::string& keepSuffix);

    /** A folder of abandoned in tempFolder kept for its journal, with the lock that keeps
     * other processes away from it while held. */
    struct Abandoned {
        std::string folder;
        int lock;  // descriptor; close() it to let go
    };
    /** The abandoned block folders in tempFolder holding a file ending in keepSuffix, each
     * locked for the caller. */
    static std::vector<Abandoned> lockAbandoned(const std::string& tempFolder, const std::string& keepSuffix);

private:
    BlockFolder() = default;

    struct Entry {
        std::string tempFolder;
        std::string folder;
        int lock = -1;  // descriptor of the folder, holding its lock
    };
    std::mutex mutex_;
    std::vector<Entry> folders_;
    bool exitHookInstalled_ = false;
};

}  // namespace wd
