#include "support/temp_block_folder.h"

#include <filesystem>

#include "model/block_factory.h"
#include "model/block_folder.h"

namespace wdtest {

ModelTempFolder::ModelTempFolder() : previous_(wd::BlockFactory::instance().tempFolder()) {
    wd::BlockFactory::instance().setTempFolder(dir_.path());
}

ModelTempFolder::~ModelTempFolder() { wd::BlockFactory::instance().setTempFolder(previous_); }

std::string ModelTempFolder::blockFolder() const { return wd::BlockFolder::instance().folderFor(dir_.path()); }

int ModelTempFolder::blockFileCount() const {
    int n = 0;
    std::error_code ec;
    for (auto it = std::filesystem::directory_iterator(blockFolder(), ec); !ec && it != std::filesystem::directory_iterator(); it.increment(ec)) ++n;
    return n;
}

}  // namespace wdtest
