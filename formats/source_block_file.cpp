#include "formats/source_block_file.h"

#include <algorithm>
#include <utility>

#include "formats/source_file.h"

namespace wd {

SourceBlockFile::SourceBlockFile(uint32_t serial, std::shared_ptr<SourceFile> source, int channel, int64_t firstFrame,
                                 int sampleCount, BlockSummary summary)
    : BlockFile(Kind::Source, serial, std::string()),
      source_(std::move(source)),
      channel_(channel),
      firstFrame_(firstFrame),
      summary_(std::move(summary)) {
    length_ = sampleCount * static_cast<int>(sizeof(float));
}

int SourceBlockFile::write(const float*, int) {
    return 0;
}

int SourceBlockFile::readBytes(void* dst, int byteCount, int byteOffset) const {
    if (byteCount < 0 || byteOffset < 0) return -1;
    // Whole samples only, as a disk block stores them.
    const int first = byteOffset / static_cast<int>(sizeof(float));
    const int count = std::min(length_ - byteOffset, byteCount) / static_cast<int>(sizeof(float));
    if (count <= 0) return 0;
    if (byteOffset % static_cast<int>(sizeof(float)) != 0) return noteReadFailure();
    if (!source_->readChannel(channel_, firstFrame_ + first, count, static_cast<float*>(dst))) return noteReadFailure();
    return count * static_cast<int>(sizeof(float));
}

bool SourceBlockFile::sourceOrigin(SourceOrigin& origin) const {
    origin = {source_->path(), source_->openedSize(), source_->openedModifiedNs(), channel_, firstFrame_};
    return true;
}

int SourceBlockFile::readSummary64k(float* dst, int count, int firstEntry) const {
    return summary_.read64k(dst, count, firstEntry);
}

int SourceBlockFile::readSummary256(float* dst, int count, int firstEntry) const {
    return summary_.read256(dst, count, firstEntry);
}

}  // namespace wd
