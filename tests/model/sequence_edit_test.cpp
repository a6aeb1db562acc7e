// Sequences: the replace splice and the range edits, against a plain vector.
#include <gtest/gtest.h>

#include <algorithm>
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

}  // namespace
