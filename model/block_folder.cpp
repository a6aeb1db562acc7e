#include "model/block_folder.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "platform/files/files.h"

namespace wd {
namespace {

bool isDirectory(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Runs at exit, or when the library is unloaded: atexit() from a shared object is bound
// to that object.
void removeFoldersAtExit() { BlockFolder::instance().removeAll(); }

constexpr const char* kPrefix = "wavedeck-";

// The pid in a block folder's name ("wavedeck-<pid>-XXXXXX"), or 0 when it is not one.
pid_t ownerOf(const std::string& name) {
    if (name.rfind(kPrefix, 0) != 0) return 0;
    const char* digits = name.c_str() + std::char_traits<char>::length(kPrefix);
    char* end = nullptr;
    const long pid = std::strtol(digits, &end, 10);
    if (end == digits || *end != '-' || std::strlen(end + 1) != 6 || pid <= 0) return 0;
    return static_cast<pid_t>(pid);
}

bool processAlive(pid_t pid) { return ::kill(pid, 0) == 0 || errno == EPERM; }

// A lock on the folder itself, held by its owner for its whole life; -1 when the folder
// cannot be opened or another process holds the lock.
int lockFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return -1;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

}  // namespace

BlockFolder& BlockFolder::instance() {
    static BlockFolder* folder = new BlockFolder;
    return *folder;
}

std::string BlockFolder::folderFor(const std::string& tempFolder) {
    std::lock_guard lock(mutex_);
    if (GetFileAttributesA(tempFolder.c_str()) != FILE_ATTRIBUTE_DIRECTORY) {
        std::error_code ignored;  // a folder that cannot be made shows below
        std::filesystem::create_directories(tempFolder, ignored);
    }
    for (const Entry& entry : folders_) {
        if (entry.tempFolder != tempFolder) continue;
        if (isDirectory(entry.folder) || ::mkdir(entry.folder.c_str(), 0700) == 0) return entry.folder;
        return std::string();
    }
    std::string pattern = tempFolder + "/" + kPrefix + std::to_string(::getpid()) + "-XXXXXX";
    // mkdtemp makes the folder with mode 0700.
    if (!::mkdtemp(pattern.data())) return std::string();
    folders_.push_back({tempFolder, pattern, lockFolder(pattern)});
    if (!exitHookInstalled_) exitHookInstalled_ = std::atexit(removeFoldersAtExit) == 0;
    return pattern;
}

void BlockFolder::removeAll() {
    std::lock_guard lock(mutex_);
    for (const Entry& entry : folders_) {
        std::error_code ignored;
        std::filesystem::remove_all(entry.folder, ignored);
        if (entry.lock >= 0) ::close(entry.lock);
    }
    folders_.clear();
}

namespace {

bool holds(const std::string& folder, const std::string& suffix) {
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        const std::string name = entry.path().filename().string();
        if (name.size() >= suffix.size() && name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0)
            return true;
    }
    return false;
}

// The folders of tempFolder whose owner is gone, each with its lock taken.
std::vector<BlockFolder::Abandoned> abandonedIn(const std::string& tempFolder) {
    std::vector<BlockFolder::Abandoned> found;
    DIR* dir = ::opendir(tempFolder.c_str());
    if (!dir) return found;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        const pid_t owner = ownerOf(name);
        // A live owner may not have taken its lock yet: its folder stays.
        if (owner == 0 || owner == ::getpid() || processAlive(owner)) continue;
        const std::string folder = tempFolder + "/" + name;
        const int lock = lockFolder(folder);
        if (lock >= 0) found.push_back({folder, lock});
    }
    ::closedir(dir);
    return found;
}

}  // namespace

int BlockFolder::reclaimAbandoned(const std::string& tempFolder, const std::string& keepSuffix) {
    int removed = 0;
    for (const Abandoned& a : abandonedIn(tempFolder)) {
        if (!holds(a.folder, keepSuffix)) {
            std::error_code ignored;
            std::filesystem::remove_all(a.folder, ignored);
            ++removed;
        }
        ::close(a.lock);
    }
    return removed;
}

std::vector<BlockFolder::Abandoned> BlockFolder::lockAbandoned(const std::string& tempFolder, const std::string& keepSuffix) {
    std::vector<Abandoned> kept;
    for (const Abandoned& a : abandonedIn(tempFolder)) {
        if (holds(a.folder, keepSuffix)) {
            kept.push_back(a);
        } else {
            ::close(a.lock);
        }
    }
    return kept;
}

}  // namespace wd
