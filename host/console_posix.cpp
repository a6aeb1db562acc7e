#include "console.h"

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <csignal>
#include <vector>

namespace host {
namespace {
volatile std::sig_atomic_t gSignal = 0;
void onSignal(int signal) { gSignal = signal; }
}  // namespace

void catchInterrupts() {
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) sigaction(signal, &action, nullptr);
}

int interruption() { return gSignal; }

void clearInterruption() { gSignal = 0; }

bool stderrIsTerminal() { return ::isatty(2) != 0; }

std::string absolutePath(const std::string& path) {
    if (path.empty() || path[0] == '/') return path;
    // realpath() wants the file to exist; a name to be written may not yet.
    std::vector<char> cwd(PATH_MAX + 1, 0);
    if (!::getcwd(cwd.data(), cwd.size())) return path;
    std::string base = cwd.data();
    std::string rest = path;
    while (rest.rfind("./", 0) == 0) rest.erase(0, 2);
    return base == "/" ? "/" + rest : base + "/" + rest;
}

bool isWritableFolder(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && ::access(path.c_str(), W_OK | X_OK) == 0;
}

std::string settingsNotKept() {
    return "the settings file cannot be written (see $WAVEDECK_REGISTRY, else ~/.config/wavedeck/registry): nothing was changed";
}

}  // namespace host
