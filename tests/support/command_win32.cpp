#include "support/signal.h"

#include <cstdlib>
#include <filesystem>
#include <sstream>

namespace wdtest {

FILE* openCommandPipe(const std::string& command) { return ::_popen(command.c_str(), "r"); }

int closeCommandPipe(FILE* pipe) { return ::_pclose(pipe); }

// The reference tools (sox, ffprobe...) are found as Windows programs on the PATH; under
// Wine the Linux ones are not, and the tests that need them skip.
bool haveProgram(const std::string& name) {
    const char* path = std::getenv("PATH");
    if (!path) return false;
    std::istringstream folders(path);
    std::string folder;
    while (std::getline(folders, folder, ';')) {
        std::error_code failed;
        if (!folder.empty() && std::filesystem::exists(std::filesystem::path(folder) / (name + ".exe"), failed)) return true;
    }
    return false;
}

}  // namespace wdtest
