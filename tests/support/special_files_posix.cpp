#include <sys/stat.h>

#include "support/temp_dir.h"

namespace wdtest {

bool makeFifo(const std::string& path) { return ::mkfifo(path.c_str(), 0600) == 0; }

}  // namespace wdtest
