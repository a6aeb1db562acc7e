#include "platform/files/files.h"

#include <dlfcn.h>
#include <fnmatch.h>
#include <glob.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

DWORD GetFileAttributesA(LPCSTR path) {
    struct stat st {};
    if (!path || !*path || ::stat(path, &st) != 0) return INVALID_FILE_ATTRIBUTES;
    if (S_ISDIR(st.st_mode)) {
        bool writable = ::access(path, W_OK | X_OK) == 0;
        return FILE_ATTRIBUTE_DIRECTORY | (writable ? 0 : FILE_ATTRIBUTE_READONLY);
    }
    bool writable = ::access(path, W_OK) == 0;
    return FILE_ATTRIBUTE_ARCHIVE | (writable ? 0 : FILE_ATTRIBUTE_READONLY);
}

BOOL CreateDirectoryA(LPCSTR path, void*) {
    if (!path || !*path) return FALSE;
    return ::mkdir(path, 0777) == 0 ? TRUE : FALSE;
}

namespace {
// A find handle owns the matches of one search.
struct FindState {
    glob_t matches;
};
}  // namespace

HANDLE FindFirstFileA(LPCSTR path, WIN32_FIND_DATAA* data) {
    if (!path || !*path) return INVALID_HANDLE_VALUE;
    auto* state = new FindState{};
    if (::glob(path, GLOB_NOSORT, nullptr, &state->matches) != 0 || state->matches.gl_pathc == 0) {
        ::globfree(&state->matches);
        delete state;
        return INVALID_HANDLE_VALUE;
    }
    if (data) {
        const char* match = state->matches.gl_pathv[0];
        const char* slash = std::strrchr(match, '/');
        const char* name = slash ? slash + 1 : match;
        std::strncpy(data->cFileName, name, sizeof data->cFileName - 1);
        data->cFileName[sizeof data->cFileName - 1] = 0;
        data->dwFileAttributes = GetFileAttributesA(match);
    }
    return state;
}

BOOL FindClose(HANDLE find) {
    if (!find || find == INVALID_HANDLE_VALUE) return FALSE;
    auto* state = static_cast<FindState*>(find);
    ::globfree(&state->matches);
    delete state;
    return TRUE;
}

HMODULE moduleOfAddress(const void* address) {
    Dl_info info{};
    if (!::dladdr(address, &info)) return nullptr;
    return static_cast<HMODULE>(info.dli_fbase);
}

std::string loadableLibraryFileName(const std::string& name) { return "lib" + name + ".so"; }

DWORD GetModuleFileNameA(HMODULE module, LPSTR buffer, DWORD size) {
    if (!buffer || size == 0) return 0;
    std::string name;
    Dl_info info{};
    // The program itself is reported by the name it was started with, which may be
    // relative to a folder since left: /proc/self/exe is the reliable name for it.
    if (module && ::dladdr(module, &info) && info.dli_fname && std::strchr(info.dli_fname, '/') &&
        std::strcmp(info.dli_fname, program_invocation_name) != 0) {
        char resolved[PATH_MAX];
        name = ::realpath(info.dli_fname, resolved) ? resolved : info.dli_fname;
    }
    if (name.empty()) {
        char exe[PATH_MAX];
        ssize_t n = ::readlink("/proc/self/exe", exe, sizeof exe - 1);
        if (n <= 0) return 0;
        name.assign(exe, static_cast<size_t>(n));
    }
    size_t copied = std::min<size_t>(name.size(), size - 1);
    std::memcpy(buffer, name.data(), copied);
    buffer[copied] = 0;
    return static_cast<DWORD>(copied);
}

HMODULE LoadLibraryA(LPCSTR path) {
    if (!path || !*path) return nullptr;
    return static_cast<HMODULE>(::dlopen(path, RTLD_NOW | RTLD_LOCAL));
}

void* GetProcAddress(HMODULE module, LPCSTR name) {
    if (!module || !name) return nullptr;
    return ::dlsym(module, name);
}

BOOL FreeLibrary(HMODULE module) {
    if (!module) return FALSE;
    return ::dlclose(module) == 0 ? TRUE : FALSE;
}
