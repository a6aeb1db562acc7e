#include "model/block_file.h"

#include <utility>

namespace wd {

bool BlockFile::sourceOrigin(SourceOrigin&) const { return false; }

namespace {
thread_local uint32_t readFailures = 0;
}  // namespace

uint32_t BlockFile::readFailuresOnThisThread() { return readFailures; }

int BlockFile::noteReadFailure() {
    ++readFailures;
    return -1;
}

BlockFile::BlockFile(Kind kind, uint32_t serial, std::string path) : path_(std::move(path)), kind_(kind), serial_(serial) {}

BlockFile::~BlockFile() = default;

int BlockFile::addRef() {
    refCount_.fetch_add(1, std::memory_order_relaxed);
    return 0;
}

int BlockFile::release() {
    // acq_rel: the holder that destroys the block sees every other holder's last use.
    if (refCount_.fetch_sub(1, std::memory_order_acq_rel) == 1) delete this;
    return 0;
}

}  // namespace wd
