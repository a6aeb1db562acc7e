#include "model/block_factory.h"

#include <string>

#include "api/settings.h"
#include "model/block_folder.h"
#include "model/disk_block_file.h"
#include "model/silent_block_file.h"

namespace wd {

BlockFactory& BlockFactory::instance() {
    static BlockFactory* factory = new BlockFactory;
    return *factory;
}

BlockFile* BlockFactory::create(BlockFile::Kind kind) {
    if (kind != BlockFile::Kind::Disk) return new SilentBlockFile(serial_++);
    // The temporary folder is looked up for every block: a change of folder takes
    // effect for the next block.
    std::string folder = BlockFolder::instance().folderFor(Settings::instance().tempFolder());
    if (folder.empty()) return nullptr;
    const uint32_t serial = serial_++;
    std::string path = folder + "/" + std::to_string(fileNumber_++) + ".temp";
    return new DiskBlockFile(serial, std::move(path));
}

}  // namespace wd
