#include "formats/source_reopener.h"

#include <vector>

#include "formats/source_block_file.h"
#include "formats/source_file.h"
#include "model/block_factory.h"

namespace wd {

BlockFile* SourceReopener::operator()(const BlockFile::SourceOrigin& origin, int sampleCount) {
    std::shared_ptr<SourceFile>& file = files_[origin.path];
    if (!file) {
        const int fd = openForReading(origin.path);
        if (fd < 0) return nullptr;
        SF_INFO info{};
        file = SourceFile::open(fd, &info);
        closeFile(fd);
        if (!file) return nullptr;
        file->setPath(origin.path);
    }
    if (file->openedSize() != origin.size || file->openedModifiedNs() != origin.modifiedNs) return nullptr;
    std::vector<float> samples(static_cast<size_t>(sampleCount));
    if (!file->readChannel(origin.channel, origin.firstFrame, sampleCount, samples.data())) return nullptr;
    BlockSummary summary;
    summary.compute(samples.data(), sampleCount);
    return new SourceBlockFile(BlockFactory::instance().takeSerial(), file, origin.channel, origin.firstFrame, sampleCount,
                               std::move(summary));
}

}  // namespace wd
