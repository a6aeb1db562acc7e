// Makes file writes beyond a size fail, as on a full disk, for the object's lifetime.
#pragma once

#include <cstdint>

namespace wdtest {

/**
 * Lowers the process's file-size limit to `bytes`, so a write that would make any file
 * larger fails (on POSIX systems RLIMIT_FSIZE, with SIGXFSZ ignored), and restores it at
 * the end. Affects every thread: use it only while the test itself writes. Where the
 * system has no such limit, supported() is false and the object does nothing.
 */
class FileSizeLimit {
public:
    explicit FileSizeLimit(uint64_t bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

    static bool supported();

private:
    uint64_t previousSoft_ = 0;
    uint64_t previousHard_ = 0;
    void (*previousHandler_)(int) = nullptr;
};

}  // namespace wdtest
