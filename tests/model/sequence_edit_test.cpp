// Sequences: the replace splice and the range edits, against a plain vector.
#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>
#include <numeric>
#include <thread>
#include <vector>

#include "model/sequence.h"
#include "support/model_reference.h"
#include "support/sequence_samples.h"
#include "support/temp_block_folder.h"

namespace {

using wd::Sequence;
using wdtest::blockCounts;
using wdtest::readAll;
using wdtest::serials;
using wdtest::staircase;

constexpr int kFull = Sequence::kMaxBlockSamples;

struct ReplaceCase {
    const char* name;
    int length;
    int start;
    int count;
    int written;
};

// What a replace must leave: the samples before start (silence up to it when it lies past
// the end), the written ones, and the samples from start + count on.
std::vector<float> replaced(const std::vector<float>& old, int start, int count, const std::vector<float>& written) {
    std::vector<float> out(old.begin(), old.begin() + std::min<size_t>(old.size(), static_cast<size_t>(start)));
    out.resize(static_cast<size_t>(start), 0.0f);
    out.insert(out.end(), written.begin(), written.end());
    if (static_cast<size_t>(start) + static_cast<size_t>(count) < old.size()) out.insert(out.end(), old.begin() + start + count, old.end());
    return out;
}

TEST(SequenceReplace, TheRangeIsReplacedByTheWrittenSamplesWhateverTheirNumber) {
    const ReplaceCase cases[] = {
        {"shorter inside a block", 1000, 100, 300, 50},
        {"longer inside a block", 1000, 100, 300, 700},
        {"nothing written deletes", 1000, 100, 300, 0},
        {"empty range inserts", 1000, 100, 0, 40},
        {"across block edges", 3 * kFull + 10, kFull - 5, kFull + 20, 2 * kFull + 7},
        {"at a block edge", 2 * kFull, kFull, 10, 3},
        {"running past the end", 1000, 900, 500, 20},
        {"starting past the end", 1000, 1200, 50, 30},
        {"the whole sequence", 5000, 0, 5000, 10},
    };
    for (const ReplaceCase& c : cases) {
        SCOPED_TRACE(c.name);
        wdtest::ModelTempFolder temp;
        Sequence s;
        const auto old = staircase(c.length, 1);
        wdtest::fill(s, old);
        const auto written = staircase(c.written, -1000000);
        ASSERT_EQ(s.beginReplace(c.start, c.count), 0);
        ASSERT_EQ(s.writeSplice(written.data(), c.written), c.written);
        ASSERT_EQ(s.commitReplace(), 0);
        const auto expected = replaced(old, c.start, c.count, written);
        EXPECT_EQ(s.length(), static_cast<int>(expected.size()));
        EXPECT_EQ(readAll(s), expected);
    }
}

TEST(SequenceReplace, OnlyTheTouchedBlocksAreReplacedAndTheOldOnesReleased) {
    wdtest::ModelTempFolder temp;
    Sequence s;
    wdtest::fill(s, staircase(4 * kFull));
    const auto before = serials(s);
    // Samples in block 1 and 2 only: blocks 0 and 3 stay as they were.
    ASSERT_EQ(s.beginReplace(kFull + 100, kFull), 0);
    const auto written = staircase(10, -50);
    ASSERT_EQ(s.writeSplice(written.data(), 10), 10);
    ASSERT_EQ(s.commitReplace(), 0);
    const auto after = serials(s);
    // Head (100), written (10) and tail (kFull - 100) fill one new block and 10 samples.
    EXPECT_EQ(blockCounts(s), (std::vector<int>{kFull, kFull, 10, kFull}));
    ASSERT_EQ(after.size(), 4u);
    EXPECT_EQ(after.front(), before[0]);
    EXPECT_EQ(after.back(), before[3]);
    EXPECT_EQ(temp.blockFileCount(), 4);
}

TEST(SequenceReplace, ANegativeCountOrASecondSpliceIsRefused) {
    wdtest::ModelTempFolder temp;
    Sequence s;
    wdtest::fill(s, staircase(100));
    EXPECT_EQ(s.beginReplace(10, -1), -1);
    ASSERT_EQ(s.beginReplace(10, 5), 0);
    EXPECT_EQ(s.beginReplace(10, 5), -1);
    s.cancelSplice();
    EXPECT_EQ(readAll(s), staircase(100));
}

// The range edits against a vector: kind, position, count, and the sample counts of
// the blocks the edit must leave.
struct RangeCase {
    const char* name;
    int length;
    enum Kind { Delete, Keep, Silence, InsertSilence } kind;
    int start;
    int count;
    std::vector<int> blocks;
};

std::vector<float> rangeReference(const std::vector<float>& old, const RangeCase& c) {
    std::vector<float> out = old;
    const auto start = static_cast<size_t>(c.start);
    const size_t end = std::min(old.size(), start + static_cast<size_t>(c.count));
    switch (c.kind) {
        case RangeCase::Delete: out.erase(out.begin() + c.start, out.begin() + static_cast<std::ptrdiff_t>(end)); break;
        case RangeCase::Keep: out.assign(old.begin() + static_cast<std::ptrdiff_t>(std::min(start, old.size())), old.begin() + static_cast<std::ptrdiff_t>(end)); break;
        case RangeCase::Silence: std::fill(out.begin() + c.start, out.begin() + static_cast<std::ptrdiff_t>(end), 0.0f); break;
        case RangeCase::InsertSilence:
            out.insert(out.begin() + static_cast<std::ptrdiff_t>(std::min(start, old.size())), static_cast<size_t>(c.count), 0.0f);
            break;
    }
    return out;
}

TEST(SequenceRanges, EachEditLeavesTheReferenceSamplesInTheStatedBlocks) {
    using K = RangeCase;
    const RangeCase cases[] = {
        {"delete inside one block: head and tail share a block", 1000, K::Delete, 100, 50, {950}},
        {"delete to the end: the blocks before and the head", 2 * kFull + 10, K::Delete, kFull + 5, kFull + 5, {kFull, 5}},
        {"delete across blocks: head and tail over 1 MiB split", 3 * kFull, K::Delete, kFull - 10, kFull + 20, {kFull, kFull - 20}},
        {"delete running past the end", 1000, K::Delete, 990, 500, {990}},
        {"keep inside one block", 1000, K::Keep, 100, 100, {100}},
        {"keep shares the blocks inside", 4 * kFull, K::Keep, 10, 3 * kFull, {kFull - 10, kFull, kFull, 10}},
        {"keep from a block edge to the end", 2 * kFull, K::Keep, kFull, 5 * kFull, {kFull}},
        {"keep from past the end leaves nothing", 1000, K::Keep, 1000, 5, {}},
        {"silence: head, silent blocks, tail", 3 * kFull, K::Silence, 100, kFull + 1, {100, kFull, 1, kFull - 101, kFull}},
        {"silence running past the end", 1000, K::Silence, 900, 500, {900, 100}},
        {"262,145 samples of silence are two silent blocks", 1000, K::InsertSilence, 400, kFull + 1, {400, kFull, 1, 600}},
        {"silence inserted at the end is appended", 1000, K::InsertSilence, 1000, 5, {1000, 5}},
        {"silence inserted at a block edge splits nothing", 2 * kFull, K::InsertSilence, kFull, 7, {kFull, 7, kFull}},
    };
    for (const RangeCase& c : cases) {
        SCOPED_TRACE(c.name);
        wdtest::ModelTempFolder temp;
        Sequence s;
        const auto old = staircase(c.length, 1);
        wdtest::fill(s, old);
        int result = -1;
        switch (c.kind) {
            case K::Delete: result = s.deleteRange(c.start, c.count); break;
            case K::Keep: result = s.keepRange(c.start, c.count); break;
            case K::Silence: result = s.silenceRange(c.start, c.count); break;
            case K::InsertSilence: result = s.insertSilence(c.start, c.count); break;
        }
        ASSERT_EQ(result, 0);
        const auto expected = rangeReference(old, c);
        EXPECT_EQ(s.length(), static_cast<int>(expected.size()));
        EXPECT_EQ(readAll(s), expected);
        EXPECT_EQ(blockCounts(s), c.blocks);
        // Silence takes no disk space: only blocks with samples have files.
        int diskBlocks = 0;
        for (const auto& b : s.blockInfo()) diskBlocks += b.kind == wd::BlockFile::Kind::Disk;
        EXPECT_EQ(temp.blockFileCount(), diskBlocks);
    }
}

TEST(SequenceRanges, AStartAtOrPastTheEndIsRefusedAndAnOpenSpliceBlocksEveryRangeEdit) {
    wdtest::ModelTempFolder temp;
    Sequence s;
    wdtest::fill(s, staircase(100));
    EXPECT_EQ(s.deleteRange(100, 1), -1);
    EXPECT_EQ(s.silenceRange(100, 1), -1);
    EXPECT_EQ(s.insertSilence(-1, 1), -1);
    ASSERT_EQ(s.beginOverwrite(3), 0);
    EXPECT_EQ(s.deleteRange(0, 1), -1);
    EXPECT_EQ(s.insertSilence(0, 1), -1);
    s.cancelSplice();
    EXPECT_EQ(readAll(s), staircase(100));
}

// The C library generator written out: what insertWhiteNoise must give on a fresh thread.
std::vector<float> referenceWhiteNoise(int count, float amplitude) {
    uint32_t state = 1;
    std::vector<float> out;
    for (int i = 0; i < count; ++i) {
        state = state * 214013u + 2531011u;
        const auto r = static_cast<float>((state >> 16) & 32767u);
        out.push_back((r * 6.103702e-5f - 1.0f) * amplitude);
    }
    return out;
}

TEST(SequenceRanges, WhiteNoiseFollowsTheThreadsOwnGeneratorFromItsStart) {
    wdtest::ModelTempFolder temp;
    Sequence s;
    wdtest::fill(s, staircase(10));
    std::thread([&] { ASSERT_EQ(s.insertWhiteNoise(5, 3000, 0.5f), 0); }).join();
    const auto all = readAll(s);
    const auto noise = referenceWhiteNoise(3000, 0.5f);
    EXPECT_TRUE(std::equal(noise.begin(), noise.end(), all.begin() + 5));
    EXPECT_EQ(all.back(), 9.0f);
}

TEST(SequenceRanges, PinkNoiseStartsEveryBlockAfreshFromTheSecondAndStaysNearItsAmplitude) {
    wdtest::ModelTempFolder temp;
    // Two inserts within one second give the same samples; retried when a second boundary
    // falls between them.
    for (int attempt = 0; attempt < 3; ++attempt) {
        const std::time_t before = std::time(nullptr);
        Sequence a, b;
        ASSERT_EQ(a.insertPinkNoise(0, kFull + 500, 0.25f), 0);
        ASSERT_EQ(b.insertPinkNoise(0, 4000, 0.25f), 0);
        if (std::time(nullptr) != before) continue;
        const auto first = readAll(a);
        const auto second = readAll(b);
        ASSERT_TRUE(std::equal(second.begin(), second.end(), first.begin()));
        // The second block starts from the same seed as the first.
        EXPECT_TRUE(std::equal(first.begin() + kFull, first.end(), first.begin()));
        const auto [lo, hi] = std::minmax_element(first.begin(), first.end());
        EXPECT_GE(*lo, -0.25f);
        EXPECT_LE(*hi, 0.25f);
        EXPECT_NEAR(std::accumulate(first.begin(), first.end(), 0.0) / first.size(), 0.0, 0.02);
        return;
    }
    FAIL() << "no two inserts within one second";
}

}  // namespace
