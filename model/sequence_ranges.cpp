// The range edits of Sequence: delete, keep, silence and the inserts of silence and noise.
#include <algorithm>
#include <cstring>
#include <utility>

#include "model/pink_noise.h"
#include "model/pseudo_random.h"
#include "model/sequence.h"

namespace wd {

bool Sequence::readyForRangeEdit() {
    if (spliceOpen_) return false;
    return appendFill_ == 0 || flushAppend() >= 0;
}

template <typename Generate>
bool Sequence::spliceGenerated(int count, Generate generate) {
    // The staging buffer is empty here (the head was sealed): it serves as the block's buffer.
    for (int left = count; left > 0;) {
        const int samples = std::min(left, kMaxBlockSamples);
        generate(appendBuffer_.get(), samples);
        BlockFile* block = writeBlock(appendBuffer_.get(), samples * kBytesPerSample);
        if (!block) return false;
        pendingBlocks_.push_back(block);
        spliceWritten_ += samples;
        left -= samples;
    }
    return true;
}

template <typename Material>
int Sequence::insertMaterial(int position, int count, Material spliceMaterial) {
    if (position < 0 || count < 0 || !readyForRangeEdit()) return -1;
    if (length_ + static_cast<int64_t>(count) > kMaxLength) return -1;
    if (count == 0) return 0;
    if (beginInsert(position) < 0) return -1;
    const SpliceGuard guard(*this);
    // The head of the split block keeps a block of its own; the material follows it.
    if (!sealStaged() || !spliceMaterial(count)) return -1;
    return commit();
}

int Sequence::insertSilence(int position, int count) {
    return insertMaterial(position, count, [this](int n) { return spliceSilence(n); });
}

int Sequence::insertWhiteNoise(int position, int count, float amplitude) {
    return insertMaterial(position, count, [this, amplitude](int n) {
        return spliceGenerated(n, [amplitude](float* out, int samples) {
            for (int i = 0; i < samples; ++i) {
                out[i] = (static_cast<float>(PseudoRandom::next()) * 6.103702e-5f - 1.0f) * amplitude;
            }
        });
    });
}

int Sequence::insertPinkNoise(int position, int count, float amplitude) {
    return insertMaterial(position, count, [this, amplitude](int n) {
        return spliceGenerated(n, [amplitude](float* out, int samples) {
            PinkNoise pink;
            pink.start();
            for (int i = 0; i < samples; ++i) out[i] = pink.next(amplitude);
        });
    });
}

int Sequence::deleteRange(int start, int count) {
    if (start < 0 || count < 0 || !readyForRangeEdit() || start >= length_) return -1;
    if (count == 0) return 0;
    // Head and tail meet in the staging buffer: one new block when they fit.
    if (beginReplace(start, count) < 0) return -1;
    const SpliceGuard guard(*this);
    return commit();
}

int Sequence::silenceRange(int start, int count) {
    if (start < 0 || count < 0 || !readyForRangeEdit() || start >= length_) return -1;
    count = std::min(count, length_ - start);
    if (count == 0) return 0;
    if (beginReplace(start, count) < 0) return -1;
    const SpliceGuard guard(*this);
    if (!sealStaged() || !spliceSilence(count)) return -1;
    return commit();
}

int Sequence::keepRange(int start, int count) {
    if (start < 0 || count < 0 || !readyForRangeEdit()) return -1;
    start = std::min(start, length_);
    const int64_t end = std::min<int64_t>(static_cast<int64_t>(start) + count, length_);
    const Position first = find(start);
    const Position last = find(end);
    // Copies samples [from, to) of a block into a new block (none for an empty part).
    auto copyPart = [](const BlockFile& block, int from, int to, BlockFile*& part) {
        if (to <= from) return true;
        const int bytes = (to - from) * kBytesPerSample;
        auto buffer = std::make_unique_for_overwrite<float[]>(static_cast<size_t>(to - from));
        if (block.readBytes(buffer.get(), bytes, from * kBytesPerSample) != bytes) return false;
        part = writeBlock(buffer.get(), bytes);
        return part != nullptr;
    };
    // Whole blocks inside the range, [keepFrom, keepTo), are shared; only the parts of
    // the two edge blocks inside it are copied into new blocks.
    size_t keepFrom = first.index;
    size_t keepTo = first.index;
    BlockFile* head = nullptr;
    BlockFile* tail = nullptr;
    bool ok = true;
    if (last.found && last.index == first.index) {
        ok = copyPart(*blocks_[first.index], first.offset, last.offset, head);
    } else {
        if (first.offset > 0) {
            ok = copyPart(*blocks_[first.index], first.offset, blocks_[first.index]->sampleCount(), head);
            keepFrom = first.index + 1;
        }
        keepTo = last.found ? last.index : blocks_.size();
        if (ok && last.found) ok = copyPart(*blocks_[last.index], 0, last.offset, tail);
    }
    if (!ok) {
        if (head) head->release();
        return -1;
    }
    std::vector<BlockFile*> next;
    if (head) next.push_back(head);
    next.insert(next.end(), blocks_.begin() + static_cast<std::ptrdiff_t>(keepFrom), blocks_.begin() + static_cast<std::ptrdiff_t>(keepTo));
    if (tail) next.push_back(tail);
    std::vector<BlockFile*> left(blocks_.begin(), blocks_.begin() + static_cast<std::ptrdiff_t>(keepFrom));
    left.insert(left.end(), blocks_.begin() + static_cast<std::ptrdiff_t>(keepTo), blocks_.end());
    replaceList(std::move(next), left);
    return 0;
}

}  // namespace wd
