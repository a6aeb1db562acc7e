#include <fcntl.h>
#include <io.h>
#include <shlobj.h>
#include <sys/stat.h>
#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <random>

#include "platform/files/file_io.h"

namespace wd {
namespace {

// errno for the Win32 errors the engine tells apart.
int errnoOf(DWORD error) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_DRIVE:
        case ERROR_BAD_NETPATH: return ENOENT;
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
        case ERROR_WRITE_PROTECT: return EACCES;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL: return ENOSPC;
        case ERROR_FILENAME_EXCED_RANGE: return ENAMETOOLONG;
        case ERROR_FILE_EXISTS:
        case ERROR_ALREADY_EXISTS: return EEXIST;
        case ERROR_DIRECTORY: return ENOTDIR;
        default: return EIO;
    }
}

int failWith(DWORD error) {
    errno = errnoOf(error);
    return -1;
}

// A descriptor owning the handle; -1 (and the handle closed) when none is left.
int descriptorOf(HANDLE handle, int flags) {
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), flags);
    if (fd < 0) CloseHandle(handle);
    return fd;
}

HANDLE handleOf(int fd) { return reinterpret_cast<HANDLE>(_get_osfhandle(fd)); }

// The pattern's "XXXXXX" in turn replaced by random letters and digits, until make
// succeeds or fails for another reason than the name being taken.
template <typename Make>
bool makeUnique(std::string& pattern, Make make) {
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    if (pattern.size() < 6 || pattern.compare(pattern.size() - 6, 6, "XXXXXX") != 0) {
        errno = EINVAL;
        return false;
    }
    std::random_device seed;
    std::minstd_rand pick(seed());
    for (int attempt = 0; attempt < 100; ++attempt) {
        for (size_t i = pattern.size() - 6; i < pattern.size(); ++i) pattern[i] = kLetters[pick() % (sizeof(kLetters) - 1)];
        if (make(pattern)) return true;
        if (errno != EEXIST) return false;
    }
    return false;
}

}  // namespace

PathKind kindOfPath(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return PathKind::Missing;
        errno = errnoOf(error);
        return PathKind::Unreadable;
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return PathKind::Folder;
    return attributes & FILE_ATTRIBUTE_DEVICE ? PathKind::Other : PathKind::RegularFile;
}

// Access lists decide, which only trying tells: a file of its own, gone when closed.
bool canCreateFilesIn(const std::string& folder) {
    if (kindOfPath(folder) != PathKind::Folder) return false;
    const std::string probe = folder + "\\wavedeck-probe-" + std::to_string(GetCurrentProcessId()) + ".tmp";
    HANDLE handle = CreateFileA(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_EXISTS;
    CloseHandle(handle);
    return true;
}

int openForReading(const std::string& path) { return _open(path.c_str(), _O_RDONLY | _O_BINARY | _O_NOINHERIT); }

int openRegularForReading(const std::string& path, bool& notRegular) {
    notRegular = false;
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        notRegular = true;
        return -1;
    }
    HANDLE handle = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return failWith(GetLastError());
    // Pipes, consoles and devices ("CON", "NUL") are no files to read sound from.
    if (GetFileType(handle) != FILE_TYPE_DISK) {
        CloseHandle(handle);
        notRegular = true;
        return -1;
    }
    return descriptorOf(handle, _O_RDONLY | _O_BINARY);
}

int createPrivateFile(const std::string& path) {
    return _open(path.c_str(), _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY | _O_NOINHERIT, _S_IREAD | _S_IWRITE);
}

int createUniqueFile(std::string& pattern, const std::string& likeFile) {
    // Windows keeps only a read-only flag, and a read-only file could not be replaced.
    (void)likeFile;
    int fd = -1;
    makeUnique(pattern, [&fd](const std::string& name) {
        fd = _open(name.c_str(), _O_RDWR | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT, _S_IREAD | _S_IWRITE);
        return fd >= 0;
    });
    return fd;
}

long readFile(int fd, void* buffer, size_t size) {
    return _read(fd, buffer, static_cast<unsigned>(std::min<size_t>(size, 1u << 30)));
}

long readFileAt(int fd, void* buffer, size_t size, int64_t offset) {
    HANDLE handle = handleOf(fd);
    if (handle == INVALID_HANDLE_VALUE) return failWith(ERROR_INVALID_HANDLE);
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(static_cast<uint64_t>(offset) >> 32);
    DWORD got = 0;
    if (!ReadFile(handle, buffer, static_cast<DWORD>(std::min<size_t>(size, 1u << 30)), &got, &at)) {
        const DWORD error = GetLastError();
        return error == ERROR_HANDLE_EOF ? 0 : failWith(error);
    }
    return static_cast<long>(got);
}

long writeFile(int fd, const void* data, size_t size) {
    return _write(fd, data, static_cast<unsigned>(std::min<size_t>(size, 1u << 30)));
}

int64_t seekFile(int fd, int64_t offset, int whence) { return _lseeki64(fd, offset, whence); }

int64_t fileSize(int fd) {
    LARGE_INTEGER size{};
    HANDLE handle = handleOf(fd);
    return handle != INVALID_HANDLE_VALUE && GetFileSizeEx(handle, &size) ? size.QuadPart : -1;
}

// The cache manager notices a sequential reader by itself.
void adviseSequentialRead(int) {}

void adviseReadSoon(int, int64_t, int64_t) {}

bool identifyFile(int fd, FileIdentity& identity) {
    BY_HANDLE_FILE_INFORMATION information{};
    HANDLE handle = handleOf(fd);
    if (handle == INVALID_HANDLE_VALUE || !GetFileInformationByHandle(handle, &information)) return false;
    // The write time counts 100-nanosecond steps.
    const int64_t ticks = static_cast<int64_t>(information.ftLastWriteTime.dwHighDateTime) << 32 |
                          information.ftLastWriteTime.dwLowDateTime;
    identity = {static_cast<int64_t>(information.nFileSizeHigh) << 32 | information.nFileSizeLow, ticks / 10000000,
                ticks % 10000000 * 100};
    return true;
}

bool syncFile(int fd) { return _commit(fd) == 0; }

// The cache manager's lazy writer starts on a file's dirty pages within about a second of
// their writing by itself; _commit then waits only for what is left.
void startWriteBack(int, int64_t, int64_t) {}

bool closeFile(int fd) { return _close(fd) == 0; }

int duplicateFile(int fd) { return _dup(fd); }

bool removeFile(const std::string& path) { return _unlink(path.c_str()) == 0; }

bool linkFile(const std::string& existing, const std::string& link) {
    if (CreateHardLinkA(link.c_str(), existing.c_str(), nullptr)) return true;
    failWith(GetLastError());
    return false;
}

bool syncFileSystemOf(const std::string& folder) {
    // Flushing a whole volume needs administrator rights: each file of the folder is
    // flushed instead, which covers everything the folder's owner wrote there.
    WIN32_FIND_DATAA found{};
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        failWith(GetLastError());
        return false;
    }
    bool synced = true;
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        HANDLE file = CreateFileA((folder + "\\" + found.cFileName).c_str(), GENERIC_WRITE,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) continue;  // gone meanwhile
        synced = FlushFileBuffers(file) && synced;
        CloseHandle(file);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return synced;
}

// NTFS logs changes of names itself, and replaceFile writes through.
bool syncFolder(const std::string&) { return true; }

// Windows refuses to rename over a file that is open, and a track reading its source file
// in place holds it open (shared for deletion). Such a file can still be renamed: it is
// moved aside, the new file takes its name, and the old one is deleted; its data lives on
// for the handles open on it until the last one closes.
bool replaceFile(const std::string& from, const std::string& to) {
    const DWORD flags = MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;
    if (MoveFileExA(from.c_str(), to.c_str(), flags)) return true;
    DWORD error = GetLastError();
    if (error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION) {
        for (unsigned attempt = 0; attempt < 100; ++attempt) {
            const std::string aside = to + "." + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(attempt) + ".old";
            if (!MoveFileExA(to.c_str(), aside.c_str(), MOVEFILE_WRITE_THROUGH)) {
                if (GetLastError() == ERROR_ALREADY_EXISTS || GetLastError() == ERROR_FILE_EXISTS) continue;
                break;
            }
            if (MoveFileExA(from.c_str(), to.c_str(), flags)) {
                DeleteFileA(aside.c_str());
                return true;
            }
            error = GetLastError();
            MoveFileExA(aside.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH);
            break;
        }
    }
    failWith(error);
    return false;
}

// The user's own folders are private on Windows already: no access list of our own.
bool makePrivateFolder(const std::string& path) {
    if (CreateDirectoryA(path.c_str(), nullptr)) return true;
    failWith(GetLastError());
    return false;
}

bool makeUniqueFolder(std::string& pattern) { return makeUnique(pattern, makePrivateFolder); }

int lockFolder(const std::string& folder) {
    // The right to add files, shared with nobody: a second lock fails while the owner
    // lives. Reading (listing the folder) and deletion stay shared, so the folder can be
    // listed by anyone and removed by its owner.
    HANDLE handle = CreateFileA(folder.c_str(), FILE_ADD_FILE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return failWith(GetLastError());
    return descriptorOf(handle, _O_RDONLY);
}

size_t lastPathSeparator(const std::string& path) { return path.find_last_of("\\/"); }

bool isAbsolutePath(const std::string& path) {
    const bool drive = path.size() >= 3 && path[1] == ':' && (path[2] == '\\' || path[2] == '/');
    const bool share = path.size() >= 2 && (path[0] == '\\' || path[0] == '/') && path[0] == path[1];
    return drive || share;
}

std::string userCacheFolder() {
    char folder[MAX_PATH] = {};
    if (SUCCEEDED(SHGetFolderPathA(nullptr, CSIDL_LOCAL_APPDATA | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, folder))) {
        return folder;
    }
    char temp[MAX_PATH + 1] = {};
    const DWORD length = GetTempPathA(sizeof temp, temp);
    if (length == 0 || length > MAX_PATH) return ".";
    std::string path(temp, length);
    if (path.size() > 3 && (path.back() == '\\' || path.back() == '/')) path.pop_back();
    return path;
}

int currentProcessId() { return static_cast<int>(GetCurrentProcessId()); }

bool processAlive(int pid) {
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(pid));
    if (!process) return GetLastError() == ERROR_ACCESS_DENIED;
    DWORD code = 0;
    const bool running = GetExitCodeProcess(process, &code) && code == STILL_ACTIVE;
    CloseHandle(process);
    return running;
}

}  // namespace wd
