#include "support/temp_dir.h"

namespace wdtest {

bool makeFifo(const std::string&) { return false; }

}  // namespace wdtest
