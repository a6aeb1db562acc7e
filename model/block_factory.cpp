#include "model/block_factory.h"

#include <cerrno>
#include <filesystem>
#include <string>

#include "model/block_folder.h"
#include "model/disk_block_file.h"
#include "model/journal.h"
#include "model/silent_block_file.h"
#include "platform/files/file_io.h"

namespace wd {

BlockFactory& BlockFactory::instance() {
    static BlockFactory* factory = new BlockFactory;
    return *factory;
}

void BlockFactory::setTempFolder(const std::string& folder) {
    {
        std::lock_guard lock(folderMutex_);
        tempFolder_ = folder;
    }
    // Block folders left by processes that were killed take space nobody will free.
    BlockFolder::reclaimAbandoned(folder, Journal::kSuffix);
}

std::string BlockFactory::tempFolder() const {
    std::lock_guard lock(folderMutex_);
    return tempFolder_;
}

BlockFile* BlockFactory::adopt(const std::string& path, int sampleCount) {
    const std::string temp = tempFolder();
    const std::string folder = temp.empty() ? std::string() : BlockFolder::instance().folderFor(temp);
    if (folder.empty()) return nullptr;
    std::string target = folder + "/" + std::to_string(fileNumber_++) + ".temp";
    std::error_code error;
    std::filesystem::create_hard_link(path, target, error);
    if (error && !std::filesystem::copy_file(path, target, std::filesystem::copy_options::overwrite_existing, error))
        return nullptr;
    BlockFile* block = DiskBlockFile::reopen(serial_++, target, sampleCount);
    if (!block) removeFile(target);
    return block;
}

BlockFile* BlockFactory::create(BlockFile::Kind kind) {
    if (kind != BlockFile::Kind::Disk) return new SilentBlockFile(serial_++);
    const std::string temp = tempFolder();
    if (temp.empty()) {
        noteWriteError(ENOENT);
        return nullptr;
    }
    std::string folder = BlockFolder::instance().folderFor(temp);
    if (folder.empty()) {
        noteWriteError(errno ? errno : EACCES);
        return nullptr;
    }
    const uint32_t serial = serial_++;
    std::string path = folder + "/" + std::to_string(fileNumber_++) + ".temp";
    return new DiskBlockFile(serial, std::move(path));
}

}  // namespace wd
