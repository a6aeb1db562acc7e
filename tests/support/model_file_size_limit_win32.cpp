#include "support/model_file_size_limit.h"

namespace wdtest {

// Windows has no per-process limit on file size: the tests that need a full disk skip.
FileSizeLimit::FileSizeLimit(uint64_t) {}
FileSizeLimit::~FileSizeLimit() = default;
bool FileSizeLimit::supported() { return false; }

}  // namespace wdtest
