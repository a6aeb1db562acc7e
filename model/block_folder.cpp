#include "model/block_folder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
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
    std::string pattern = tempFolder + "/wavedeck-" + std::to_string(::getpid()) + "-XXXXXX";
    // mkdtemp makes the folder with mode 0700.
    if (!::mkdtemp(pattern.data())) return std::string();
    folders_.push_back({tempFolder, pattern});
    if (!exitHookInstalled_) exitHookInstalled_ = std::atexit(removeFoldersAtExit) == 0;
    return pattern;
}

void BlockFolder::removeAll() {
    std::lock_guard lock(mutex_);
    for (const Entry& entry : folders_) {
        std::error_code ignored;
        std::filesystem::remove_all(entry.folder, ignored);
    }
    folders_.clear();
}

}  // namespace wd
