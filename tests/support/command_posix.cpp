#include <sys/wait.h>

#include "support/signal.h"

namespace wdtest {

FILE* openCommandPipe(const std::string& command) { return ::popen(command.c_str(), "r"); }

int closeCommandPipe(FILE* pipe) {
    const int status = ::pclose(pipe);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool haveProgram(const std::string& name) {
    int code = 0;
    runCommand("command -v " + name + " >/dev/null 2>&1", &code);
    return code == 0;
}

}  // namespace wdtest
