#include "model/block_folder.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "platform/files/file_io.h"
#include "platform/files/files.h"

namespace wd {
namespace {

// Runs at exit, or when the library is unloaded: atexit() from a shared object is bound
// to that object.
void removeFoldersAtExit() { BlockFolder::instance().removeAll(); }

constexpr const char* kPrefix = "wavedeck-";

// The pid in a block folder's name ("wavedeck-<pid>-XXXXXX"), or 0 when it is not one.
int ownerOf(const std::string& name) {
    if (name.rfind(kPrefix, 0) != 0) return 0;
    const char* digits = name.c_str() + std::char_traits<char>::length(kPrefix);
    char* end = nullptr;
    const long pid = std::strtol(digits, &end, 10);
    if (end == digits || *end != '-' || std::strlen(end + 1) != 6 || pid <= 0) return 0;
    return static_cast<int>(pid);
}

}  // namespace

BlockFolder& BlockFolder::instance() {
    static BlockFolder* folder = new BlockFolder;
    return *folder;
}

std::string BlockFolder::folderFor(const std::string& tempFolder) {
    std::lock_guard lock(mutex_);
    if (kindOfPath(tempFolder) != PathKind::Folder) {
        std::error_code ignored;  // a folder that cannot be made shows below
        std::filesystem::create_directories(tempFolder, ignored);
    }
    for (const Entry& entry : folders_) {
        if (entry.tempFolder != tempFolder) continue;
        if (kindOfPath(entry.folder) == PathKind::Folder || makePrivateFolder(entry.folder)) return entry.folder;
        return std::string();
    }
    std::string pattern = tempFolder + "/" + kPrefix + std::to_string(currentProcessId()) + "-XXXXXX";
    if (!makeUniqueFolder(pattern)) return std::string();
    // The lock, held for the folder's whole life, tells other processes it is in use.
    folders_.push_back({tempFolder, pattern, lockFolder(pattern)});
    if (!exitHookInstalled_) exitHookInstalled_ = std::atexit(removeFoldersAtExit) == 0;
    return pattern;
}

void BlockFolder::removeAll() {
    std::lock_guard lock(mutex_);
    for (const Entry& entry : folders_) {
        std::error_code ignored;
        std::filesystem::remove_all(entry.folder, ignored);
        if (entry.lock >= 0) closeFile(entry.lock);
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
    std::error_code error;
    for (std::filesystem::directory_iterator it(tempFolder, error); !error && it != std::filesystem::directory_iterator();
         it.increment(error)) {
        const std::string name = it->path().filename().string();
        const int owner = ownerOf(name);
        // A live owner may not have taken its lock yet: its folder stays.
        if (owner == 0 || owner == currentProcessId() || processAlive(owner)) continue;
        const std::string folder = tempFolder + "/" + name;
        const int lock = lockFolder(folder);
        if (lock >= 0) found.push_back({folder, lock});
    }
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
        closeFile(a.lock);
    }
    return removed;
}

std::vector<BlockFolder::Abandoned> BlockFolder::lockAbandoned(const std::string& tempFolder, const std::string& keepSuffix) {
    std::vector<Abandoned> kept;
    for (const Abandoned& a : abandonedIn(tempFolder)) {
        if (holds(a.folder, keepSuffix)) {
            kept.push_back(a);
        } else {
            closeFile(a.lock);
        }
    }
    return kept;
}

}  // namespace wd
