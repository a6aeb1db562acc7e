#include "api/library_entry.h"

#include <atomic>
#include <cstring>
#include <mutex>
#include <vector>

#include "api/file_names.h"
#include "api/settings.h"
#include "formats/mp3_encoder_library.h"
#include "platform/files/files.h"
#include "ui/window_classes.h"
#include "wavedeck.h"

namespace wd {
namespace {

// Plain (constant-initialised) state: the entry runs from the shared object's
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

std::string moduleFileName(HMODULE module, size_t bufferSize) {
    std::vector<char> buffer(bufferSize, 0);
    GetModuleFileNameA(module, buffer.data(), static_cast<DWORD>(buffer.size()));
    return buffer.data();
}

void attach(HMODULE module) {
    registerWindowClasses(reinterpret_cast<HINSTANCE>(module));

    std::string fileName = moduleFileName(module, 4096);
    std::vector<char> folder(fileName.size() + 1, 0);
    if (WDXGetFilePath(fileName.c_str(), folder.data()) != 0) folder[0] = 0;
    Mp3EncoderLibrary::instance().load(folder.data());

    Settings::instance().load(fileName);

    std::lock_guard lock(pathMutex());
    storedModulePath() = folder.data();
}

void detach(HMODULE module) {
    Mp3EncoderLibrary::instance().release();
    unregisterWindowClasses(reinterpret_cast<HINSTANCE>(module));
    Settings::instance().save();
}

// The address of this function places the module: the library, or the program when the
// engine is linked into it.
__attribute__((constructor)) void onLoad() { libraryEntry(moduleOfAddress(reinterpret_cast<const void*>(&onLoad)), DLL_PROCESS_ATTACH, nullptr); }
__attribute__((destructor)) void onUnload() { libraryEntry(moduleOfAddress(reinterpret_cast<const void*>(&onLoad)), DLL_PROCESS_DETACH, nullptr); }

}  // namespace

BOOL libraryEntry(HMODULE module, DWORD reason, void*) {
    gModule = module;
    if (reason == DLL_PROCESS_ATTACH) {
        attach(module);
    } else if (reason == DLL_PROCESS_DETACH) {
        detach(module);
    }
    return TRUE;
}

HMODULE moduleHandle() { return gModule; }

std::string modulePath() {
    std::lock_guard lock(pathMutex());
    return storedModulePath();
}

}  // namespace wd

int WDXGetModulePath(char* buffer) {
    if (!buffer) return 0;
    std::string path = wd::modulePath();
    std::memcpy(buffer, path.c_str(), path.size() + 1);
    return 1;
}

const char* WDXGetVersion(void) { return WAVEDECK_VERSION; }
