#include "services/module.h"

#include <atomic>
#include <mutex>

namespace wd {
namespace {

// Plain (constant-initialised) state: the library entry runs from the shared object's
// constructor, possibly before other static objects of the library are built, and from
// its destructor, after they are gone.
std::atomic<HMODULE> gModule{nullptr};

std::mutex& pathMutex() {
    static std::mutex* m = new std::mutex;
    return *m;
}

std::string& storedModulePath() {
    static std::string* path = new std::string;
    return *path;
}

}  // namespace

HMODULE moduleHandle() { return gModule.load(); }

void setModuleHandle(HMODULE module) { gModule.store(module); }

std::string modulePath() {
    std::lock_guard lock(pathMutex());
    return storedModulePath();
}

void setModulePath(const std::string& path) {
    std::lock_guard lock(pathMutex());
    storedModulePath() = path;
}

}  // namespace wd
