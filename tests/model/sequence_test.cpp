// Sequences: positions, reads by sample and by column, staging, splices and failures.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <random>
#include <thread>
#include <vector>

#include "model/sequence.h"
#include "support/model_file_size_limit.h"
#include "support/model_reference.h"
#include "support/sequence_samples.h"
#include "support/temp_block_folder.h"

namespace {

using wd::BlockFile;
using wd::Sequence;
using wdtest::blockCounts;
using wdtest::fill;
using wdtest::readAll;
using wdtest::serials;
using wdtest::staircase;

constexpr int kFull = Sequence::kMaxBlockSamples;

TEST(Sequence, AppendingOneSampleLessThanABlockKeepsEverythingStagedAndOneMoreWritesTheBlock) {
    wdtest::ModelTempFolder temp;
    Sequence s;
    auto data = staircase(kFull);
    ASSERT_EQ(s.appendSamples(data.data(), kFull - 1), kFull - 1);
    EXPECT_EQ(s.length(), kFull - 1);
    EXPECT_TRUE(s.blockInfo().empty());
    EXPECT_EQ(temp.blockFileCount(), 0);
    ASSERT_EQ(s.appendSamples(data.data() + kFull - 1, 1), 1);
    EXPECT_EQ(blockCounts(s), std::vector<int>{kFull});
    // Nothing is left staged: the flush writes no block.
    EXPECT_EQ(s.flushAppend(), 0);
    EXPECT_EQ(blockCounts(s), std::vector<int>{kFull});
    EXPECT_EQ(readAll(s), data);
}

TEST(Sequence, StagedSamplesCountInTheLengthButAreReadOnlyAfterTheFlush) {
    wdtest::ModelTempFolder temp;
    Sequence s;
    auto data = staircase(kFull + 500);
    ASSERT_EQ(s.appendSamples(data.data(), kFull), kFull);
    ASSERT_EQ(s.appendSamples(data.data() + kFull, 500), 500);
    EXPECT_EQ(s.length(), kFull + 500);
    std::vector<float> out(1000, -1.0f);
    EXPECT_EQ(s.readSamples(out.data(), kFull - 500, 1000), 500);
    EXPECT_EQ(s.flushAppend(), 2000);
    EXPECT_EQ(blockCounts(s), (std::vector<int>{kFull, 500}));
    EXPECT_EQ(s.readSamples(out.data(), kFull - 500, 1000), 1000);
    EXPECT_EQ(out[999], static_cast<float>(kFull + 499));
}

TEST(Sequence, AnAppendOfMoreThanABlockIsStoredWhole) {
    wdtest::ModelTempFolder temp;
    Sequence s;
    auto data = staircase(3 * kFull + 7);
    ASSERT_EQ(s.appendSamples(data.data(), static_cast<int>(data.size())), static_cast<int>(data.size()));
    ASSERT_EQ(s.flushAppend(), 28);
    EXPECT_EQ(blockCounts(s), (std::vector<int>{kFull, kFull, kFull, 7}));
    EXPECT_EQ(readAll(s), data);
}

TEST(Sequence, ReadingFromTheLastSampleDeliversOneSample) {
    wdtest::ModelTempFolder temp;
    Sequence s;
    fill(s, staircase(1000));
    float out[10];
    EXPECT_EQ(s.readSamples(out, 999, 10), 1);
    EXPECT_EQ(out[0], 999.0f);
}

TEST(Sequence, ReadsAcrossBlocksDeliverEverySampleInOrder) {
    wdtest::ModelTempFolder temp;
    Sequence s;
    auto data = staircase(2 * kFull + 1000);
    fill(s, data);
    std::vector<float> out(kFull + 200);
    ASSERT_EQ(s.readSamples(out.data(), kFull - 100, kFull + 200), kFull + 200);
    for (int i = 0; i < kFull + 200; ++i) ASSERT_EQ(out[static_cast<size_t>(i)], static_cast<float>(kFull - 100 + i));
}

TEST(Sequence, NegativeAndOutOfRangePositionsReadNothingAndWriteNothing) {
    wdtest::ModelTempFolder temp;
    Sequence s;
    fill(s, staircase(1000));
    std::vector<float> guard(64, 7.0f), maxs(64, 7.0f);
    EXPECT_EQ(s.readSamples(guard.data(), -1, 10), 0);
    EXPECT_EQ(s.readSamples(guard.data(), 1000, 10), 0);
    EXPECT_EQ(s.readSamples(guard.data(), 0, -5), 0);
    EXPECT_EQ(s.readSamples(nullptr, 0, 5), 0);
    EXPECT_EQ(s.readColumns(guard.data(), maxs.data(), 10, -300, 300), 0);
    EXPECT_EQ(s.readColumns(guard.data(), maxs.data(), 10, 0, 0), 0);
    EXPECT_EQ(s.readColumns(guard.data(), maxs.data(), 10, 0, -4), 0);
    EXPECT_EQ(s.readColumns(guard.data(), maxs.data(), -1, 0, 4), 0);
    EXPECT_EQ(s.readColumns(guard.data(), maxs.data(), 10, 5000, 4), 0);
    EXPECT_EQ(guard, std::vector<float>(64, 7.0f));
    EXPECT_EQ(maxs, std::vector<float>(64, 7.0f));
    // A read running past the end fills only what exists: the guard after it stays.
    EXPECT_EQ(s.readColumns(guard.data(), maxs.data(), 64, 990, 1), 10);
    EXPECT_EQ(guard[9], 999.0f);
    EXPECT_EQ(guard[10], 7.0f);
    std::vector<float> mins2(64, 7.0f), maxs2(64, 7.0f);
    EXPECT_EQ(s.readColumns(mins2.data(), maxs2.data(), 64, 900, 20), 5);
    EXPECT_EQ(maxs2[4], 999.0f);
    EXPECT_EQ(mins2[5], 7.0f);
    EXPECT_EQ(maxs2[5], 7.0f);
}

TEST(Sequence, ColumnsOf255SamplesAreReadFromSamplesAndOf256FromTheFineSummaries) {
    wdtest::ModelTempFolder temp;
    Sequence s;
    fill(s, staircase(10000));
    float mins[8], maxs[8];
    ASSERT_EQ(s.readColumns(mins, maxs, 8, 10, 255), 8);
    EXPECT_EQ(mins[0], 10.0f);
    EXPECT_EQ(maxs[0], 264.0f);
    EXPECT_EQ(mins[7], 10.0f + 7 * 255);
    // The fine entry holding sample 10 starts at sample 0, and the entry starting at 256
    // lies before the first column edge (266): column 0 takes one unit more, [0, 512).
    ASSERT_EQ(s.readColumns(mins, maxs, 8, 10, 256), 8);
    EXPECT_EQ(mins[0], 0.0f);
    EXPECT_EQ(maxs[0], 511.0f);
    EXPECT_EQ(mins[1], 512.0f);
    EXPECT_EQ(maxs[1], 767.0f);
    EXPECT_EQ(mins[7], 2048.0f);
    // 65,536 samples per column use the coarse level, likewise.
    Sequence big;
    fill(big, staircase(3 * kFull));
    ASSERT_EQ(big.readColumns(mins, maxs, 8, 100, 65536), 8);
    EXPECT_EQ(mins[0], 0.0f);
    EXPECT_EQ(maxs[0], 131071.0f);
    EXPECT_EQ(mins[1], 131072.0f);
    EXPECT_EQ(maxs[1], 196607.0f);
    EXPECT_EQ(mins[7], 8.0f * 65536);
}

TEST(Sequence, AlignedColumnsHoldTheExactMinimumAndMaximumOfTheirSamples) {
    wdtest::ModelTempFolder temp;
    const unsigned seed = std::random_device{}();
    SCOPED_TRACE("noise seed " + std::to_string(seed));
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> noise(-1.0f, 1.0f);
    std::vector<float> data(3 * kFull);
    for (float& v : data) v = noise(rng);
    Sequence s;
    fill(s, data);
    for (int spp : {1, 3, 100, 256, 512, 65536, 131072}) {
        const int start = spp >= 65536 ? 65536 : spp >= 256 ? 1024 : 77;
        const int columns = static_cast<int>(std::min<int64_t>(585, (static_cast<int64_t>(data.size()) - start) / spp));
        std::vector<float> mins(static_cast<size_t>(columns)), maxs(static_cast<size_t>(columns));
        ASSERT_EQ(s.readColumns(mins.data(), maxs.data(), columns, start, spp), columns) << spp;
        for (int c = 0; c < columns; ++c) {
            float lo, hi;
            wdtest::referenceMinMax(data, start + static_cast<int64_t>(c) * spp, start + static_cast<int64_t>(c + 1) * spp, lo, hi);
            ASSERT_EQ(mins[static_cast<size_t>(c)], lo) << "spp " << spp << " column " << c;
            ASSERT_EQ(maxs[static_cast<size_t>(c)], hi) << "spp " << spp << " column " << c;
        }
    }
}

TEST(Sequence, ColumnsOverIrregularBlocksFollowTheSummaryUnitsOfEachBlock) {
    wdtest::ModelTempFolder temp;
    Sequence s;
    auto data = staircase(kFull + 5000);
    fill(s, data);
    // An insert leaves a short block in the middle: units restart at its start.
    auto ins = staircase(300, 1000000);
    ASSERT_EQ(s.beginInsert(70000), 0);
    ASSERT_EQ(s.writeSplice(ins.data(), 300), 300);
    ASSERT_EQ(s.commitInsert(), 0);
    data.insert(data.begin() + 70000, ins.begin(), ins.end());
    ASSERT_EQ(readAll(s), data);
    const auto counts = blockCounts(s);
    ASSERT_GT(counts.size(), 2u);
    std::mt19937 rng(7);
    for (int i = 0; i < 300; ++i) {
        const int spp = std::vector<int>{2, 255, 256, 300, 1000, 65535, 65536, 70000}[rng() % 8];
        const int start = static_cast<int>(rng() % data.size());
        const int columns = 1 + static_cast<int>(rng() % 600);
        std::vector<float> mins(static_cast<size_t>(columns)), maxs(static_cast<size_t>(columns)), rmins, rmaxs;
        const int n = s.readColumns(mins.data(), maxs.data(), columns, start, spp);
        ASSERT_EQ(n, wdtest::referenceColumns(data, counts, columns, start, spp, rmins, rmaxs)) << start << " " << spp;
        for (int c = 0; c < n; ++c) {
            ASSERT_EQ(mins[static_cast<size_t>(c)], rmins[static_cast<size_t>(c)]) << start << " " << spp << " " << c;
            ASSERT_EQ(maxs[static_cast<size_t>(c)], rmaxs[static_cast<size_t>(c)]) << start << " " << spp << " " << c;
        }
    }
}

TEST(Sequence, Overwriting100SamplesAt10OfAFullBlockMakesExactlyOneNewFullBlock) {
    wdtest::ModelTempFolder temp;
    Sequence s;
    auto data = staircase(kFull);
    fill(s, data);
    const uint32_t old = serials(s)[0];
    auto patch = staircase(100, -1000);
    ASSERT_EQ(s.beginOverwrite(10), 0);
    ASSERT_EQ(s.writeSplice(patch.data(), 100), 100);
    ASSERT_EQ(s.commitOverwrite(), 0);
    EXPECT_EQ(blockCounts(s), std::vector<int>{kFull});
    EXPECT_NE(serials(s)[0], old);
    EXPECT_EQ(temp.blockFileCount(), 1);
    std::copy(patch.begin(), patch.end(), data.begin() + 10);
    EXPECT_EQ(readAll(s), data);
    EXPECT_EQ(s.length(), kFull);
}

TEST(Sequence, Inserting100SamplesAt10GrowsTheLengthBy100) {
    wdtest::ModelTempFolder temp;
    Sequence s;
    auto data = staircase(kFull);
    fill(s, data);
    auto patch = staircase(100, -1000);
    ASSERT_EQ(s.beginInsert(10), 0);
    ASSERT_EQ(s.writeSplice(patch.data(), 100), 100);
    ASSERT_EQ(s.commitInsert(), 0);
    EXPECT_EQ(s.length(), kFull + 100);
    EXPECT_EQ(blockCounts(s), (std::vector<int>{kFull, 100}));
    data.insert(data.begin() + 10, patch.begin(), patch.end());
    EXPECT_EQ(readAll(s), data);
}

TEST(Sequence, SplicesReplaceOnlyTheBlocksTheyTouchAndLeaveEveryOtherBlockAsItWas) {
    wdtest::ModelTempFolder temp;
    Sequence s;
    auto data = staircase(4 * kFull);
    fill(s, data);
    Sequence saved;  // a holder of the old blocks, as an undo state is
    ASSERT_TRUE(saved.assignFrom(&s));
    const auto before = serials(s);
    auto patch = staircase(kFull, -5000000);
    // From inside block 1 to inside block 2: blocks 1 and 2 are replaced, 0 and 3 stay.
    ASSERT_EQ(s.beginOverwrite(kFull + 5), 0);
    ASSERT_EQ(s.writeSplice(patch.data(), kFull), kFull);
    ASSERT_EQ(s.commitOverwrite(), 0);
    const auto after = serials(s);
    ASSERT_EQ(after.size(), 4u);
    EXPECT_EQ(after[0], before[0]);
    EXPECT_EQ(after[3], before[3]);
    EXPECT_NE(after[1], before[1]);
    EXPECT_NE(after[2], before[2]);
    std::copy(patch.begin(), patch.end(), data.begin() + kFull + 5);
    EXPECT_EQ(readAll(s), data);
    EXPECT_EQ(readAll(saved), staircase(4 * kFull));
    // The old blocks 1 and 2 live on in `saved` only; 6 distinct disk blocks exist.
    EXPECT_EQ(temp.blockFileCount(), 6);
}

// Splices that start (or end) exactly on a block boundary: the block on the other side of
// the boundary holds no sample of the range and keeps its file.
TEST(Sequence, AnOverwriteOnABlockBoundaryReplacesOnlyTheBlocksOfItsRange) {
    struct Row {
        int start, count;
    };
    for (const Row row : {Row{kFull, 100}, Row{2 * kFull, kFull / 2}, Row{kFull, kFull}}) {
        wdtest::ModelTempFolder temp;
        Sequence s;
        auto data = staircase(4 * kFull);
        fill(s, data);
        const auto before = serials(s);
        const auto patch = staircase(row.count, -5000000);
        ASSERT_EQ(s.beginOverwrite(row.start), 0);
        ASSERT_EQ(s.writeSplice(patch.data(), row.count), row.count);
        ASSERT_EQ(s.commitOverwrite(), 0);
        const auto after = serials(s);
        ASSERT_EQ(after.size(), 4u);
        for (int b = 0; b < 4; ++b) {
            const bool touched = b * kFull < row.start + row.count && (b + 1) * kFull > row.start;
            EXPECT_EQ(after[static_cast<size_t>(b)] != before[static_cast<size_t>(b)], touched)
                << "block " << b << " of an overwrite at " << row.start << " of " << row.count;
        }
        std::copy(patch.begin(), patch.end(), data.begin() + row.start);
        EXPECT_EQ(readAll(s), data);
    }
}

TEST(Sequence, AnInsertAtOrPastTheEndAppendsAndGrowsTheLengthByTheSamplesWritten) {
    wdtest::ModelTempFolder temp;
    for (int position : {1000, 1001, 5000}) {
        Sequence s;
        auto data = staircase(1000);
        fill(s, data);
        auto tail = staircase(50, 7000);
        ASSERT_EQ(s.beginInsert(position), 0);
        ASSERT_EQ(s.writeSplice(tail.data(), 50), 50);
        ASSERT_EQ(s.commitInsert(), 0);
        EXPECT_EQ(s.length(), 1050) << position;
        data.insert(data.end(), tail.begin(), tail.end());
        EXPECT_EQ(readAll(s), data) << position;
    }
    Sequence empty;
    auto first = staircase(20);
    ASSERT_EQ(empty.beginInsert(0), 0);
    ASSERT_EQ(empty.writeSplice(first.data(), 20), 20);
    ASSERT_EQ(empty.commitInsert(), 0);
    EXPECT_EQ(readAll(empty), first);
}

TEST(Sequence, AnOverwritePastTheEndIsReachedThroughSilence) {
    wdtest::ModelTempFolder temp;
    Sequence s;
    fill(s, staircase(1000));
    auto tail = staircase(10, 50000);
    const int position = 1000 + kFull + 20;
    ASSERT_EQ(s.beginOverwrite(position), 0);
    ASSERT_EQ(s.writeSplice(tail.data(), 10), 10);
    ASSERT_EQ(s.commitOverwrite(), 0);
    EXPECT_EQ(s.length(), position + 10);
    const auto info = s.blockInfo();
    ASSERT_EQ(info.size(), 4u);
    EXPECT_EQ(info[1].kind, BlockFile::Kind::Silent);
    EXPECT_EQ(info[1].sampleCount, kFull);
    EXPECT_EQ(info[2].kind, BlockFile::Kind::Silent);
    EXPECT_EQ(info[2].sampleCount, 20);
    auto all = readAll(s);
    ASSERT_EQ(all.size(), static_cast<size_t>(position + 10));
    EXPECT_EQ(all[999], 999.0f);
    EXPECT_EQ(all[1000], 0.0f);
    EXPECT_EQ(all[static_cast<size_t>(position - 1)], 0.0f);
    EXPECT_EQ(all[static_cast<size_t>(position)], 50000.0f);
}

TEST(Sequence, ASpliceFlushesStagedSamplesFirstAndRefusesAppendsWhileOpen) {
    wdtest::ModelTempFolder temp;
    Sequence s;
    auto data = staircase(500);
    ASSERT_EQ(s.appendSamples(data.data(), 500), 500);
    ASSERT_EQ(s.beginOverwrite(100), 0);
    EXPECT_EQ(blockCounts(s), std::vector<int>{500});
    EXPECT_EQ(s.appendSamples(data.data(), 5), -1);
    EXPECT_EQ(s.flushAppend(), -1);
    EXPECT_EQ(s.beginInsert(3), -1);
    s.cancelSplice();
    EXPECT_FALSE(s.spliceOpen());
    EXPECT_EQ(readAll(s), data);
    EXPECT_EQ(s.commitOverwrite(), -1);
    EXPECT_EQ(s.writeSplice(data.data(), 1), -1);
    EXPECT_EQ(s.beginOverwrite(-1), -1);
    ASSERT_EQ(s.beginOverwrite(0), 0);
    // Bad arguments are refused and leave the splice open.
    EXPECT_EQ(s.writeSplice(data.data(), -1), -1);
    EXPECT_EQ(s.writeSplice(nullptr, 3), -1);
    EXPECT_TRUE(s.spliceOpen());
    s.cancelSplice();
    EXPECT_EQ(temp.blockFileCount(), 1);
}

TEST(Sequence, AFailedAppendChangesNothingAndTheStagedSamplesSurvive) {
    if (!wdtest::FileSizeLimit::supported()) GTEST_SKIP() << "this system cannot limit the size of files a process writes";
    wdtest::ModelTempFolder temp;
    Sequence s;
    auto data = staircase(kFull + 100);
    ASSERT_EQ(s.appendSamples(data.data(), 1000), 1000);
    {
        wdtest::FileSizeLimit full(1000);
        EXPECT_EQ(s.appendSamples(data.data() + 1000, kFull), -1);
        EXPECT_EQ(s.length(), 1000);
        EXPECT_TRUE(s.blockInfo().empty());
        EXPECT_EQ(s.flushAppend(), -1);
        EXPECT_EQ(s.length(), 1000);
    }
    EXPECT_EQ(temp.blockFileCount(), 0);
    ASSERT_EQ(s.appendSamples(data.data() + 1000, kFull - 900), kFull - 900);
    ASSERT_EQ(s.flushAppend(), 400);
    EXPECT_EQ(readAll(s), staircase(kFull + 100));
}

TEST(Sequence, AFailedSpliceWriteOrCommitLeavesTheSequenceAsItWas) {
    if (!wdtest::FileSizeLimit::supported()) GTEST_SKIP() << "this system cannot limit the size of files a process writes";
    wdtest::ModelTempFolder temp;
    Sequence s;
    auto data = staircase(2 * kFull);
    fill(s, data);
    const auto before = serials(s);
    auto patch = staircase(kFull, -9);
    ASSERT_EQ(s.beginOverwrite(10), 0);
    {
        wdtest::FileSizeLimit full(4096);
        EXPECT_EQ(s.writeSplice(patch.data(), kFull), -1);
    }
    EXPECT_FALSE(s.spliceOpen());
    EXPECT_EQ(serials(s), before);
    EXPECT_EQ(temp.blockFileCount(), 2);

    ASSERT_EQ(s.beginInsert(kFull + 3), 0);
    ASSERT_EQ(s.writeSplice(patch.data(), 100), 100);
    {
        wdtest::FileSizeLimit full(4096);
        EXPECT_EQ(s.commitInsert(), -1);
    }
    EXPECT_FALSE(s.spliceOpen());
    EXPECT_EQ(serials(s), before);
    EXPECT_EQ(readAll(s), data);
    EXPECT_EQ(s.length(), 2 * kFull);
    EXPECT_EQ(temp.blockFileCount(), 2);
}

TEST(Sequence, DestroyingTheLastHolderDeletesEveryBlockFile) {
    wdtest::ModelTempFolder temp;
    {
        Sequence s;
        fill(s, staircase(3 * kFull + 3));
        auto patch = staircase(10);
        ASSERT_EQ(s.beginInsert(5), 0);
        ASSERT_EQ(s.writeSplice(patch.data(), 10), 10);
        // Destroyed with the splice open: its new blocks go too.
        EXPECT_EQ(temp.blockFileCount(), 4);
    }
    EXPECT_EQ(temp.blockFileCount(), 0);
}

TEST(Sequence, ReadersOnAnotherThreadSeeConsistentSamplesWhileTheWriterAppendsAndSplices) {
    wdtest::ModelTempFolder temp;
    Sequence s;
    constexpr int kBlocks = 12;
    std::atomic<bool> done{false};
    std::atomic<long> reads{0};
    std::thread reader([&] {
        std::vector<float> out(4096), maxs(585);
        while (!done.load()) {
            const int len = s.length();
            if (len > 4096) {
                const int start = len / 3;
                const int n = s.readSamples(out.data(), start, 4096);
                // Every sample read is its own position (the staircase) or the patch value.
                for (int i = 0; i < n; ++i) {
                    const float v = out[static_cast<size_t>(i)];
                    ASSERT_TRUE(v == static_cast<float>(start + i) || v == -1.0f);
                }
                s.readColumns(out.data(), maxs.data(), 585, 0, len / 585 + 1);
            }
            reads.fetch_add(1);
        }
    });
    auto data = staircase(kBlocks * kFull);
    for (int b = 0; b < kBlocks; ++b) ASSERT_EQ(s.appendSamples(data.data() + b * kFull, kFull), kFull);
    std::vector<float> patch(1000, -1.0f);
    for (int k = 0; k < 5; ++k) {
        ASSERT_EQ(s.beginOverwrite(k * 300000 + 17), 0);
        ASSERT_EQ(s.writeSplice(patch.data(), 1000), 1000);
        ASSERT_EQ(s.commitOverwrite(), 0);
    }
    while (reads.load() < 10) std::this_thread::yield();
    done = true;
    reader.join();
    EXPECT_EQ(s.length(), kBlocks * kFull);
}

TEST(Sequence, ACopyTakenDuringASpliceHoldsTheCommittedSamplesOnly) {
    wdtest::ModelTempFolder temp;
    Sequence s;
    const auto data = staircase(1000);
    fill(s, data);
    ASSERT_EQ(s.beginOverwrite(10), 0);
    const auto patch = staircase(5, -100);
    ASSERT_EQ(s.writeSplice(patch.data(), 5), 5);
    Sequence copy;
    ASSERT_TRUE(copy.assignFrom(&s));
    // The splice's staged head and patch are not appended samples of the copy.
    ASSERT_GE(copy.flushAppend(), 0);
    EXPECT_EQ(copy.length(), 1000);
    EXPECT_EQ(blockCounts(copy), std::vector<int>{1000});
    EXPECT_EQ(readAll(copy), data);
}

TEST(Sequence, CopiesTakenWhileTheWriterAppendsHoldAPrefixOfItsSamples) {
    wdtest::ModelTempFolder temp;
    Sequence s;
    const auto data = staircase(3 * kFull);
    std::atomic<bool> done{false};
    std::thread writer([&] {
        for (int at = 0; at < 3 * kFull; at += 5000) s.appendSamples(data.data() + at, std::min(5000, 3 * kFull - at));
        done = true;
    });
    int copies = 0;
    while (!done.load() || copies < 3) {
        Sequence copy;
        ASSERT_TRUE(copy.assignFrom(&s));
        ASSERT_GE(copy.flushAppend(), 0);
        const auto got = readAll(copy);
        ASSERT_EQ(static_cast<int>(got.size()), copy.length());
        ASSERT_TRUE(std::equal(got.begin(), got.end(), data.begin()));
        ++copies;
    }
    writer.join();
}

TEST(Sequence, EditsThatWouldPassTheLargestLengthAreRefusedAndChangeNothing) {
    wdtest::ModelTempFolder temp;
    Sequence s;
    const auto data = staircase(1000);
    fill(s, data);
    ASSERT_EQ(s.beginOverwrite(INT32_MAX - 5), 0);
    EXPECT_EQ(s.writeSplice(data.data(), 100), -1);
    EXPECT_FALSE(s.spliceOpen());
    EXPECT_EQ(s.length(), 1000);
    EXPECT_EQ(readAll(s), data);

    // Silence up to three samples short of the largest length, then nothing more fits.
    ASSERT_EQ(s.beginOverwrite(INT32_MAX - 5), 0);
    ASSERT_EQ(s.writeSplice(data.data(), 2), 2);
    ASSERT_EQ(s.commitOverwrite(), 0);
    ASSERT_EQ(s.length(), INT32_MAX - 3);
    const auto blocks = serials(s);
    EXPECT_EQ(s.appendSamples(data.data(), 4), -1);
    EXPECT_EQ(s.insertSilence(0, 4), -1);
    EXPECT_EQ(s.insertWhiteNoise(500, 4, 1.0f), -1);
    ASSERT_EQ(s.beginInsert(7), 0);
    EXPECT_EQ(s.writeSplice(data.data(), 4), -1);
    ASSERT_EQ(s.beginReplace(7, 1), 0);
    EXPECT_EQ(s.writeSplice(data.data(), 5), -1);
    EXPECT_EQ(s.length(), INT32_MAX - 3);
    EXPECT_EQ(serials(s), blocks);
    // What still fits is taken.
    EXPECT_EQ(s.appendSamples(data.data(), 3), 3);
    EXPECT_EQ(s.length(), INT32_MAX);
}

}  // namespace
