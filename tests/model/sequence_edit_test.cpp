// Sequences: the replace splice and the range edits against a plain vector, and noise.
#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>
#include <thread>
#include <vector>

#include "model/sequence.h"
#include "support/model_reference.h"
#include "support/sequence_samples.h"
#include "support/temp_block_folder.h"

namespace {

using wd::Sequence;
using wdtest::readAll;
using wdtest::staircase;

constexpr int kFull = Sequence::kMaxBlockSamples;

enum Kind { Replace, Delete, Keep, Silence, InsertSilence };

// An edit of a staircase of `length` samples at start/count (Replace writes `written`
// samples) and the sample counts of the blocks it must leave.
struct RangeCase {
    const char* name;
    int length;
    Kind kind;
    int start;
    int count;
    int written;
    std::vector<int> blocks;
};

// The vector the edit must leave: before start (silence up to it past the end), the new
// material, and what follows the range.
std::vector<float> reference(const std::vector<float>& old, const RangeCase& c, const std::vector<float>& written) {
    const auto start = static_cast<size_t>(c.start), size = old.size();
    const size_t end = std::min(size, start + static_cast<size_t>(c.count));
    const size_t from = std::min(start, size);
    std::vector<float> head(old.begin(), old.begin() + static_cast<std::ptrdiff_t>(from));
    std::vector<float> range(old.begin() + static_cast<std::ptrdiff_t>(from), old.begin() + static_cast<std::ptrdiff_t>(std::max(from, end)));
    std::vector<float> tail(old.begin() + static_cast<std::ptrdiff_t>(std::max(from, end)), old.end());
    if (c.kind == InsertSilence) tail.insert(tail.begin(), range.begin(), range.end());
    std::vector<float> middle = c.kind == Replace ? written : c.kind == Keep ? range : std::vector<float>();
    if (c.kind == Silence) middle.assign(range.size(), 0.0f);
    if (c.kind == InsertSilence) middle.assign(static_cast<size_t>(c.count), 0.0f);
    if (c.kind == Keep) return middle;
    if (c.kind == Replace) head.resize(start, 0.0f);
    head.insert(head.end(), middle.begin(), middle.end());
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
}

TEST(SequenceRanges, EachEditLeavesTheReferenceSamplesInTheStatedBlocks) {
    const RangeCase cases[] = {
        {"replace by fewer", 1000, Replace, 100, 300, 50, {750}},
        {"replace by more, across blocks", 3 * kFull + 10, Replace, kFull - 5, kFull + 20, 2 * kFull + 7, {kFull, kFull, kFull, kFull - 13, 10}},
        {"replace of an empty range inserts", 1000, Replace, 100, 0, 40, {1040}},
        {"replace past the end is reached through silence", 1000, Replace, 1200, 50, 30, {1000, 200, 30}},
        {"delete inside one block: head and tail share a block", 1000, Delete, 100, 50, 0, {950}},
        {"delete to the end: the blocks before and the head", 2 * kFull + 10, Delete, kFull + 5, kFull + 5, 0, {kFull, 5}},
        {"delete across blocks: head and tail over 1 MiB split", 3 * kFull, Delete, kFull - 10, kFull + 20, 0, {kFull, kFull - 20}},
        {"keep inside one block", 1000, Keep, 100, 100, 0, {100}},
        {"keep shares the blocks inside", 4 * kFull, Keep, 10, 3 * kFull, 0, {kFull - 10, kFull, kFull, 10}},
        {"keep from past the end leaves nothing", 1000, Keep, 1000, 5, 0, {}},
        {"silence: head, silent blocks, tail", 3 * kFull, Silence, 100, kFull + 1, 0, {100, kFull, 1, kFull - 101, kFull}},
        {"silence running past the end", 1000, Silence, 900, 500, 0, {900, 100}},
        {"262,145 samples of silence are two silent blocks", 1000, InsertSilence, 400, kFull + 1, 0, {400, kFull, 1, 600}},
        {"silence inserted at the end is appended", 1000, InsertSilence, 1000, 5, 0, {1000, 5}},
    };
    for (const RangeCase& c : cases) {
        SCOPED_TRACE(c.name);
        wdtest::ModelTempFolder temp;
        Sequence s;
        const auto old = staircase(c.length, 1);
        wdtest::fill(s, old);
        const auto written = staircase(c.written, -1000000);
        switch (c.kind) {
            case Replace:
                ASSERT_EQ(s.beginReplace(c.start, c.count), 0);
                ASSERT_EQ(s.writeSplice(written.data(), c.written), c.written);
                ASSERT_EQ(s.commitReplace(), 0);
                break;
            case Delete: ASSERT_EQ(s.deleteRange(c.start, c.count), 0); break;
            case Keep: ASSERT_EQ(s.keepRange(c.start, c.count), 0); break;
            case Silence: ASSERT_EQ(s.silenceRange(c.start, c.count), 0); break;
            case InsertSilence: ASSERT_EQ(s.insertSilence(c.start, c.count), 0); break;
        }
        const auto expected = reference(old, c, written);
        EXPECT_EQ(s.length(), static_cast<int>(expected.size()));
        EXPECT_EQ(readAll(s), expected);
        EXPECT_EQ(wdtest::blockCounts(s), c.blocks);
        // The replaced blocks went; silence takes no disk space.
        int diskBlocks = 0;
        for (const auto& b : s.blockInfo()) diskBlocks += b.kind == wd::BlockFile::Kind::Disk;
        EXPECT_EQ(temp.blockFileCount(), diskBlocks);
    }
}

TEST(SequenceRanges, BadArgumentsOrAnOpenSpliceAreRefusedWithNothingChanged) {
    wdtest::ModelTempFolder temp;
    Sequence s;
    wdtest::fill(s, staircase(100));
    EXPECT_EQ(s.deleteRange(100, 1), -1);
    EXPECT_EQ(s.silenceRange(100, 1), -1);
    EXPECT_EQ(s.insertSilence(-1, 1), -1);
    EXPECT_EQ(s.beginReplace(10, -1), -1);
    ASSERT_EQ(s.beginOverwrite(3), 0);
    EXPECT_EQ(s.beginReplace(10, 5), -1);
    EXPECT_EQ(s.deleteRange(0, 1), -1);
    EXPECT_EQ(s.insertSilence(0, 1), -1);
    s.cancelSplice();
    EXPECT_EQ(readAll(s), staircase(100));
}

TEST(SequenceRanges, WhiteNoiseFollowsTheThreadsOwnGeneratorFromItsStart) {
    wdtest::ModelTempFolder temp;
    Sequence s;
    std::thread([&] { ASSERT_EQ(s.insertWhiteNoise(0, 3000, 0.5f), 0); }).join();
    const auto all = readAll(s);
    uint32_t state = 1;  // the C library generator, from a thread's start
    for (int i = 0; i < 3000; ++i) {
        state = state * 214013u + 2531011u;
        ASSERT_EQ(all[static_cast<size_t>(i)], (static_cast<float>((state >> 16) & 32767u) * 6.103702e-5f - 1.0f) * 0.5f) << i;
    }
}

TEST(SequenceRanges, PinkNoiseStartsEveryBlockAfreshFromTheSecondAndStaysWithinItsAmplitude) {
    wdtest::ModelTempFolder temp;
    // Retried when a second boundary falls between the two inserts.
    for (int attempt = 0; attempt < 3; ++attempt) {
        const std::time_t before = std::time(nullptr);
        Sequence a, b;
        ASSERT_EQ(a.insertPinkNoise(0, kFull + 500, 0.25f), 0);
        ASSERT_EQ(b.insertPinkNoise(0, 4000, 0.25f), 0);
        if (std::time(nullptr) != before) continue;
        const auto first = readAll(a);
        const auto second = readAll(b);
        EXPECT_TRUE(std::equal(second.begin(), second.end(), first.begin()));
        EXPECT_TRUE(std::equal(first.begin() + kFull, first.end(), first.begin()));
        const auto [lo, hi] = std::minmax_element(first.begin(), first.end());
        EXPECT_GE(*lo, -0.25f);
        EXPECT_LE(*hi, 0.25f);
        return;
    }
    FAIL() << "no two inserts within one second";
}

}  // namespace
