#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include "platform/files/file_io.h"

namespace wd {
namespace {

mode_t currentUmask() {
    // umask() cannot be read without changing it (and that is not thread-safe); the
    // kernel shows it here.
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("Umask:", 0) == 0) return static_cast<mode_t>(std::strtoul(line.c_str() + 6, nullptr, 8));
    }
    return 022;
}

}  // namespace

PathKind kindOfPath(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return errno == ENOENT ? PathKind::Missing : PathKind::Unreadable;
    if (S_ISREG(st.st_mode)) return PathKind::RegularFile;
    return S_ISDIR(st.st_mode) ? PathKind::Folder : PathKind::Other;
}

bool canCreateFilesIn(const std::string& folder) {
    return kindOfPath(folder) == PathKind::Folder && ::access(folder.c_str(), W_OK | X_OK) == 0;
}

int openForReading(const std::string& path) { return ::open(path.c_str(), O_RDONLY | O_CLOEXEC); }

int openRegularForReading(const std::string& path, bool& notRegular) {
    notRegular = false;
    // Non-blocking, so a FIFO without a writer does not hold the open; it is refused below.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return -1;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        notRegular = true;
        return -1;
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    return fd;
}

int createPrivateFile(const std::string& path) { return ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600); }

int createUniqueFile(std::string& pattern, const std::string& likeFile) {
    struct stat st {};
    const mode_t mode = ::stat(likeFile.c_str(), &st) == 0 ? st.st_mode & 07777 : 0666 & ~currentUmask();
    const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (fd >= 0) ::fchmod(fd, mode);
    return fd;
}

long readFile(int fd, void* buffer, size_t size) { return ::read(fd, buffer, size); }

long readFileAt(int fd, void* buffer, size_t size, int64_t offset) { return ::pread(fd, buffer, size, static_cast<off_t>(offset)); }

long writeFile(int fd, const void* data, size_t size) { return ::write(fd, data, size); }

int64_t seekFile(int fd, int64_t offset, int whence) { return ::lseek(fd, static_cast<off_t>(offset), whence); }

int64_t fileSize(int fd) {
    struct stat st {};
    return ::fstat(fd, &st) == 0 ? static_cast<int64_t>(st.st_size) : -1;
}

void adviseSequentialRead(int fd) { ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL); }

void adviseReadSoon(int fd, int64_t offset, int64_t length) {
    ::posix_fadvise(fd, static_cast<off_t>(offset), static_cast<off_t>(length), POSIX_FADV_WILLNEED);
}

bool identifyFile(int fd, FileIdentity& identity) {
    struct stat st {};
    if (::fstat(fd, &st) != 0) return false;
    identity = {static_cast<int64_t>(st.st_size), static_cast<int64_t>(st.st_mtim.tv_sec),
                static_cast<int64_t>(st.st_mtim.tv_nsec)};
    return true;
}

bool syncFile(int fd) { return ::fsync(fd) == 0; }

void startWriteBack(int fd, int64_t offset, int64_t length) {
    ::sync_file_range(fd, static_cast<off_t>(offset), static_cast<off_t>(length), SYNC_FILE_RANGE_WRITE);
}

bool closeFile(int fd) { return ::close(fd) == 0; }

int duplicateFile(int fd) { return ::fcntl(fd, F_DUPFD_CLOEXEC, 0); }

bool removeFile(const std::string& path) { return ::unlink(path.c_str()) == 0; }

bool replaceFile(const std::string& from, const std::string& to) { return ::rename(from.c_str(), to.c_str()) == 0; }

bool linkFile(const std::string& existing, const std::string& link) {
    return ::link(existing.c_str(), link.c_str()) == 0;
}

namespace {

// Runs sync on a descriptor of the folder itself.
bool syncThroughFolder(const std::string& folder, int (*sync)(int)) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool synced = sync(fd) == 0;
    ::close(fd);
    return synced;
}

}  // namespace

bool syncFileSystemOf(const std::string& folder) { return syncThroughFolder(folder, ::syncfs); }

bool syncFolder(const std::string& folder) { return syncThroughFolder(folder, ::fsync); }

bool makePrivateFolder(const std::string& path) { return ::mkdir(path.c_str(), 0700) == 0; }

bool makeUniqueFolder(std::string& pattern) { return ::mkdtemp(pattern.data()) != nullptr; }

int lockFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return -1;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

size_t lastPathSeparator(const std::string& path) { return path.find_last_of('/'); }

bool isAbsolutePath(const std::string& path) { return !path.empty() && path[0] == '/'; }

std::string userCacheFolder() {
    if (const char* x = std::getenv("XDG_CACHE_HOME"); x && *x == '/') return x;
    if (const char* home = std::getenv("HOME"); home && *home == '/') return std::string(home) + "/.cache";
    return "/tmp";
}

int currentProcessId() { return static_cast<int>(::getpid()); }

bool processAlive(int pid) { return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM; }

}  // namespace wd
