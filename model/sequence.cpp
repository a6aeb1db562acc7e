#include "model/sequence.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "model/block_factory.h"

namespace wd {
namespace {

// Summary entries or samples handled per read inside readColumns (8 KiB on the stack).
constexpr int kColumnChunk = 1024;

// The running minimum and maximum of the column being built, and where the next one starts.
struct ColumnWalk {
    float* mins;
    float* maxs;
    int columns;
    int64_t nextEdge;
    int64_t samplesPerColumn;
    int filled = 0;
    bool open = false;
    float lo = 0.0f;
    float hi = 0.0f;

    // One unit (a sample or a summary entry) that starts at unitStart.
    void take(int64_t unitStart, float unitLo, float unitHi) {
        if (!open) {
            lo = unitLo;
            hi = unitHi;
            open = true;
            return;
        }
        // A unit never spans more than one column edge: it is no longer than a column.
        if (unitStart >= nextEdge) {
            store();
            nextEdge += samplesPerColumn;
            lo = unitLo;
            hi = unitHi;
            return;
        }
        lo = unitLo < lo ? unitLo : lo;
        hi = unitHi > hi ? unitHi : hi;
    }
    void store() {
        if (filled < columns) {
            mins[filled] = lo;
            maxs[filled] = hi;
        }
        ++filled;
    }
    int finish() {
        if (open) store();
        return std::min(filled, columns);
    }
};

}  // namespace

Sequence::Sequence() = default;

Sequence::~Sequence() {
    cancelSplice();
    for (BlockFile* block : blocks_) block->release();
}

bool Sequence::assignFrom(const Sequence* other) {
    if (!other) return false;
    if (other == this) return true;
    cancelSplice();
    std::vector<BlockFile*> blocks;
    int length = 0;
    std::unique_ptr<float[]> staged;
    int stagedBytes = 0;
    {
        // Staged samples belong to the copy only while they are appended samples: during
        // a splice the buffer holds the splice's own data, which is not committed.
        std::lock_guard lock(other->mutex_);
        blocks = other->blocks_;
        for (BlockFile* block : blocks) block->addRef();
        length = other->length_;
        if (!other->spliceOpen_ && other->appendFill_ > 0) {
            stagedBytes = other->appendFill_;
            staged = std::make_unique_for_overwrite<float[]>(kMaxBlockSamples);
            std::memcpy(staged.get(), other->appendBuffer_.get(), static_cast<size_t>(stagedBytes));
        }
    }
    {
        std::lock_guard lock(mutex_);
        blocks_.swap(blocks);
        length_ = length;
        appendBuffer_ = std::move(staged);
        appendFill_ = stagedBytes;
    }
    for (BlockFile* block : blocks) block->release();
    return true;
}

int Sequence::length() const {
    std::lock_guard lock(mutex_);
    return length_;
}

std::vector<Sequence::BlockInfo> Sequence::blockInfo() const {
    std::lock_guard lock(mutex_);
    std::vector<BlockInfo> info;
    info.reserve(blocks_.size());
    for (const BlockFile* block : blocks_) info.push_back({block->serial(), block->sampleCount(), block->kind()});
    return info;
}

void Sequence::visitBlocks(const std::function<void(const BlockFile&)>& visit) const {
    std::lock_guard lock(mutex_);
    for (const BlockFile* block : blocks_) visit(*block);
}

Sequence::Position Sequence::find(int64_t sample) const {
    Position pos;
    if (sample < 0) return pos;
    int64_t blockStart = 0;
    for (size_t i = 0; i < blocks_.size(); ++i) {
        const int64_t count = blocks_[i]->sampleCount();
        if (blockStart + count > sample) {
            pos.found = true;
            pos.index = i;
            pos.blockStart = blockStart;
            pos.offset = static_cast<int>(sample - blockStart);
            return pos;
        }
        blockStart += count;
    }
    pos.blockStart = blockStart;
    pos.index = blocks_.size();
    return pos;
}

int Sequence::readSamples(float* dst, int start, int count) const {
    std::lock_guard lock(mutex_);
    return readSamplesLocked(dst, start, count);
}

int Sequence::readSamplesLocked(float* dst, int start, int count) const {
    if (!dst || count < 1 || start < 0 || start >= length_) return 0;
    const Position pos = find(start);
    if (!pos.found) return 0;
    int done = 0;
    int offset = pos.offset;
    for (size_t i = pos.index; i < blocks_.size() && done < count; ++i, offset = 0) {
        const int want = std::min(count - done, blocks_[i]->sampleCount() - offset);
        const int got = blocks_[i]->readBytes(dst + done, want * kBytesPerSample, offset * kBytesPerSample);
        if (got < 0) break;
        done += got / kBytesPerSample;
        if (got < want * kBytesPerSample) break;
    }
    return done;
}

int Sequence::readColumns(float* mins, float* maxs, int columns, int start, int samplesPerColumn) const {
    if (!mins || !maxs || columns < 1 || samplesPerColumn < 1 || start < 0) return 0;
    std::lock_guard lock(mutex_);
    if (samplesPerColumn == 1) {
        const int n = readSamplesLocked(mins, start, columns);
        if (n > 0) std::memcpy(maxs, mins, static_cast<size_t>(n) * sizeof(float));
        return n;
    }
    const int64_t end = std::min(static_cast<int64_t>(start) + static_cast<int64_t>(columns) * samplesPerColumn,
                                 static_cast<int64_t>(length_));
    if (end <= start) return 0;
    const Position pos = find(start);
    if (!pos.found) return 0;

    const int shift = samplesPerColumn >= BlockFile::kSummary64kSamples ? 16 : samplesPerColumn >= BlockFile::kSummary256Samples ? 8 : 0;
    mins[0] = 0.0f;
    maxs[0] = 0.0f;
    ColumnWalk walk{mins, maxs, columns, static_cast<int64_t>(start) + samplesPerColumn, samplesPerColumn};
    float buffer[kColumnChunk * 2];

    int64_t blockStart = pos.blockStart;
    for (size_t i = pos.index; i < blocks_.size() && blockStart < end; blockStart += blocks_[i]->sampleCount(), ++i) {
        const BlockFile& block = *blocks_[i];
        const int from = static_cast<int>(std::max<int64_t>(start, blockStart) - blockStart);
        const int to = static_cast<int>(std::min<int64_t>(end, blockStart + block.sampleCount()) - blockStart);
        if (to <= from) continue;
        if (shift == 0) {
            for (int at = from; at < to;) {
                const int want = std::min(kColumnChunk * 2, to - at);
                const int got = block.readBytes(buffer, want * kBytesPerSample, at * kBytesPerSample) / kBytesPerSample;
                for (int k = 0; k < got; ++k) walk.take(blockStart + at + k, buffer[k], buffer[k]);
                if (got < want) return walk.finish();
                at += got;
            }
            continue;
        }
        const int firstEntry = from >> shift;
        const int lastEntry = (to - 1) >> shift;
        for (int entry = firstEntry; entry <= lastEntry;) {
            const int want = std::min(kColumnChunk, lastEntry - entry + 1);
            const int got = shift == 16 ? block.readSummary64k(buffer, want, entry) : block.readSummary256(buffer, want, entry);
            for (int k = 0; k < got; ++k) {
                walk.take(blockStart + (static_cast<int64_t>(entry + k) << shift), buffer[2 * k], buffer[2 * k + 1]);
            }
            if (got < want) return walk.finish();
            entry += got;
        }
    }
    return walk.finish();
}

// Without a buffer nothing is staged (appendFill_ is 0 already): only the pointer is set,
// which copies read only when something is staged.
void Sequence::ensureStaging() {
    if (!appendBuffer_) appendBuffer_ = std::make_unique_for_overwrite<float[]>(kMaxBlockSamples);
}

void Sequence::freeStaging() {
    appendBuffer_.reset();
    appendFill_ = 0;
}

BlockFile* Sequence::writeBlock(const float* data, int bytes) {
    BlockFile* block = BlockFactory::instance().create(BlockFile::Kind::Disk);
    if (!block) return nullptr;
    if (block->write(data, bytes) != bytes) {
        block->release();
        return nullptr;
    }
    return block;
}

int Sequence::appendSamples(const float* data, int count) {
    if (spliceOpen_ || count < 0 || (!data && count > 0)) return -1;
    if (length_ + static_cast<int64_t>(count) > kMaxLength) return -1;
    for (int done = 0; done < count;) {
        const int piece = std::min(count - done, kMaxBlockSamples);
        if (appendPiece(data + done, piece) < 0) return -1;
        done += piece;
    }
    return count;
}

// count is at most one block, so at most one block is written and a failure changes
// nothing: the staged samples are only overwritten after the block was stored.
int Sequence::appendPiece(const float* data, int count) {
    ensureStaging();
    const int bytes = count * kBytesPerSample;
    char* staging = reinterpret_cast<char*>(appendBuffer_.get());
    if (appendFill_ + bytes < kMaxBlockBytes) {
        std::lock_guard lock(mutex_);
        std::memcpy(staging + appendFill_, data, static_cast<size_t>(bytes));
        appendFill_ += bytes;
        length_ += count;
        return count;
    }
    // The bytes past appendFill_ are not yet staged: no copy reads them meanwhile.
    const int room = kMaxBlockBytes - appendFill_;
    std::memcpy(staging + appendFill_, data, static_cast<size_t>(room));
    BlockFile* block = writeBlock(appendBuffer_.get(), kMaxBlockBytes);
    if (!block) return -1;
    const int rest = bytes - room;
    std::lock_guard lock(mutex_);
    std::memcpy(staging, reinterpret_cast<const char*>(data) + room, static_cast<size_t>(rest));
    appendFill_ = rest;
    blocks_.push_back(block);
    length_ += count;
    return count;
}

int Sequence::flushAppend() {
    if (spliceOpen_) return -1;
    if (appendFill_ == 0) {
        std::lock_guard lock(mutex_);
        freeStaging();
        return 0;
    }
    BlockFile* block = writeBlock(appendBuffer_.get(), appendFill_);
    if (!block) return -1;
    const int bytes = appendFill_;
    std::lock_guard lock(mutex_);
    blocks_.push_back(block);
    freeStaging();
    return bytes;
}

int Sequence::appendBlock(BlockFile* block) {
    if (spliceOpen_ || appendFill_ > 0 || length_ + static_cast<int64_t>(block->sampleCount()) > kMaxLength) {
        block->release();
        return -1;
    }
    std::lock_guard lock(mutex_);
    blocks_.push_back(block);
    length_ += block->sampleCount();
    return block->sampleCount();
}

int Sequence::beginOverwrite(int position) { return begin(position, SpliceKind::Overwrite, 0); }

int Sequence::beginInsert(int position) { return begin(position, SpliceKind::Insert, 0); }

int Sequence::beginReplace(int start, int count) { return count < 0 ? -1 : begin(start, SpliceKind::Replace, count); }

SpliceGuard::~SpliceGuard() {
    for (Sequence* sequence : sequences_) {
        if (sequence->spliceOpen()) sequence->cancelSplice();
    }
}

bool Sequence::spliceOpen() const {
    std::lock_guard lock(mutex_);
    return spliceOpen_;
}

void Sequence::setSpliceOpen(bool open) {
    std::lock_guard lock(mutex_);
    spliceOpen_ = open;
}

int Sequence::begin(int position, SpliceKind kind, int count) {
    if (spliceOpen_ || position < 0) return -1;
    if (appendFill_ > 0 && flushAppend() < 0) return -1;
    // Open before the staging buffer takes splice data, so a copy never takes it for
    // appended samples.
    setSpliceOpen(true);
    spliceKind_ = kind;
    spliceReadFailures_ = BlockFile::readFailuresOnThisThread();
    pendingBlocks_.clear();
    spliceWritten_ = 0;
    spliceHead_ = 0;
    replaceEnd_ = static_cast<int64_t>(position) + count;
    ensureStaging();
    const Position pos = find(position);
    spliceFirstBlock_ = pos.index;
    spliceFirstSample_ = pos.blockStart;
    if (pos.found) {
        if (pos.offset > 0) {
            const int headBytes = pos.offset * kBytesPerSample;
            if (blocks_[pos.index]->readBytes(appendBuffer_.get(), headBytes, 0) != headBytes) {
                cancelSplice();
                return -1;
            }
            appendFill_ = headBytes;
        }
        spliceHead_ = pos.offset;
        spliceWritten_ = pos.offset;
    } else if (kind != SpliceKind::Insert) {
        // Past the end: the gap is silence.
        spliceSilence(static_cast<int>(position - pos.blockStart));
    }
    return 0;
}

int64_t Sequence::resumePosition() const {
    switch (spliceKind_) {
        case SpliceKind::Overwrite: return spliceFirstSample_ + spliceWritten_;
        case SpliceKind::Insert: return spliceFirstSample_ + spliceHead_;
        case SpliceKind::Replace: return replaceEnd_;
    }
    return spliceFirstSample_ + spliceWritten_;
}

int64_t Sequence::committedLength(int64_t more) const {
    const int64_t written = spliceFirstSample_ + spliceWritten_ + more;
    const int64_t resume = spliceKind_ == SpliceKind::Overwrite ? written : resumePosition();
    return written + std::max<int64_t>(length_ - resume, 0);
}

bool Sequence::spliceSilence(int count) {
    for (int left = count; left > 0;) {
        const int samples = std::min(left, kMaxBlockSamples);
        BlockFile* silence = BlockFactory::instance().create(BlockFile::Kind::Silent);
        silence->write(nullptr, samples * kBytesPerSample);
        pendingBlocks_.push_back(silence);
        spliceWritten_ += samples;
        left -= samples;
    }
    return true;
}

bool Sequence::stage(const float* data, int count) {
    char* staging = reinterpret_cast<char*>(appendBuffer_.get());
    const char* source = reinterpret_cast<const char*>(data);
    int64_t bytes = static_cast<int64_t>(count) * kBytesPerSample;
    while (bytes > 0) {
        if (appendFill_ + bytes < kMaxBlockBytes) {
            std::memcpy(staging + appendFill_, source, static_cast<size_t>(bytes));
            appendFill_ += static_cast<int>(bytes);
            return true;
        }
        const int room = kMaxBlockBytes - appendFill_;
        std::memcpy(staging + appendFill_, source, static_cast<size_t>(room));
        BlockFile* block = writeBlock(appendBuffer_.get(), kMaxBlockBytes);
        if (!block) return false;
        pendingBlocks_.push_back(block);
        appendFill_ = 0;
        source += room;
        bytes -= room;
    }
    return true;
}

bool Sequence::stageFromBlock(const BlockFile& block, int from, int to) {
    char* staging = reinterpret_cast<char*>(appendBuffer_.get());
    while (from < to) {
        const int room = (kMaxBlockBytes - appendFill_) / kBytesPerSample;
        const int take = std::min(room, to - from);
        const int bytes = take * kBytesPerSample;
        if (block.readBytes(staging + appendFill_, bytes, from * kBytesPerSample) != bytes) return false;
        appendFill_ += bytes;
        from += take;
        if (appendFill_ == kMaxBlockBytes) {
            BlockFile* full = writeBlock(appendBuffer_.get(), kMaxBlockBytes);
            if (!full) return false;
            pendingBlocks_.push_back(full);
            appendFill_ = 0;
        }
    }
    return true;
}

bool Sequence::sealStaged() {
    if (appendFill_ == 0) return true;
    BlockFile* block = writeBlock(appendBuffer_.get(), appendFill_);
    if (!block) return false;
    pendingBlocks_.push_back(block);
    appendFill_ = 0;
    return true;
}

int Sequence::writeSplice(const float* data, int count) {
    if (!spliceOpen_ || count < 0 || (!data && count > 0)) return -1;
    if (committedLength(count) > kMaxLength || !stage(data, count)) {
        cancelSplice();
        return -1;
    }
    spliceWritten_ += count;
    return count;
}

int Sequence::commitOverwrite() { return commit(); }

int Sequence::commitInsert() { return commit(); }

int Sequence::commitReplace() { return commit(); }

int Sequence::commit() {
    if (!spliceOpen_) return -1;
    // Blocks from spliceFirstBlock_ up to (not including) keepFrom are replaced; the
    // block where the old samples resume gives its rest to the last new block.
    size_t keepFrom = blocks_.size();
    const Position resume = find(resumePosition());
    if (resume.found) {
        keepFrom = resume.index;
        if (resume.offset > 0) {
            const BlockFile& last = *blocks_[resume.index];
            if (!stageFromBlock(last, resume.offset, last.sampleCount())) {
                cancelSplice();
                return -1;
            }
            keepFrom = resume.index + 1;
        }
    }
    if (!sealStaged() || BlockFile::readFailuresOnThisThread() != spliceReadFailures_) {
        cancelSplice();
        return -1;
    }
    std::vector<BlockFile*> next;
    next.reserve(spliceFirstBlock_ + pendingBlocks_.size() + (blocks_.size() - keepFrom));
    next.insert(next.end(), blocks_.begin(), blocks_.begin() + static_cast<std::ptrdiff_t>(spliceFirstBlock_));
    next.insert(next.end(), pendingBlocks_.begin(), pendingBlocks_.end());
    next.insert(next.end(), blocks_.begin() + static_cast<std::ptrdiff_t>(keepFrom), blocks_.end());
    const std::vector<BlockFile*> replaced(blocks_.begin() + static_cast<std::ptrdiff_t>(spliceFirstBlock_),
                                           blocks_.begin() + static_cast<std::ptrdiff_t>(keepFrom));
    pendingBlocks_.clear();
    freeStaging();
    replaceList(std::move(next), replaced);
    return 0;
}

void Sequence::replaceList(std::vector<BlockFile*> next, const std::vector<BlockFile*>& replaced) {
    int64_t total = 0;
    for (const BlockFile* block : next) total += block->sampleCount();
    {
        std::lock_guard lock(mutex_);
        blocks_.swap(next);
        length_ = static_cast<int>(total);
        spliceOpen_ = false;
    }
    for (BlockFile* block : replaced) block->release();
}

void Sequence::cancelSplice() {
    for (BlockFile* block : pendingBlocks_) block->release();
    pendingBlocks_.clear();
    if (spliceOpen_) {
        freeStaging();
        setSpliceOpen(false);
    }
    spliceWritten_ = 0;
    spliceHead_ = 0;
}

}  // namespace wd
