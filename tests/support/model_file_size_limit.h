// Makes file writes beyond a size fail, as on a full disk, for the object's lifetime.
#pragma once

#include <sys/resource.h>

namespace wdtest {

/**
 * Lowers the process's file-size limit (RLIMIT_FSIZE) to `bytes` and ignores SIGXFSZ, so
 * a write that would make any file larger fails with EFBIG. Restores both at the end.
 * Affects every thread: use it only while the test itself writes.
 */
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit previous_{};
    void (*previousHandler_)(int) = nullptr;
};

}  // namespace wdtest
