#include "support/model_file_size_limit.h"

#include <sys/resource.h>

#include <csignal>

namespace wdtest {

FileSizeLimit::FileSizeLimit(uint64_t bytes) {
    previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    rlimit previous{};
    getrlimit(RLIMIT_FSIZE, &previous);
    previousSoft_ = previous.rlim_cur;
    previousHard_ = previous.rlim_max;
    rlimit limited = previous;
    limited.rlim_cur = static_cast<rlim_t>(bytes);
    setrlimit(RLIMIT_FSIZE, &limited);
}

FileSizeLimit::~FileSizeLimit() {
    const rlimit previous{static_cast<rlim_t>(previousSoft_), static_cast<rlim_t>(previousHard_)};
    setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, previousHandler_);
}

bool FileSizeLimit::supported() { return true; }

}  // namespace wdtest
