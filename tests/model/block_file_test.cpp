// Block files: the file layout to the byte, summaries, numbering, sharing and failures.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <limits>
#include <random>
#include <thread>
#include <vector>

#include "model/block_factory.h"
#include "model/block_folder.h"
#include "model/disk_block_file.h"
#include "model/silent_block_file.h"
#include "support/model_file_size_limit.h"
#include "support/model_reference.h"
#include "support/temp_block_folder.h"
#include "support/temp_dir.h"

namespace {

using wd::BlockFactory;
using wd::BlockFile;
using wd::DiskBlockFile;
using wdtest::staircase;

constexpr int kFull = BlockFile::kMaxSamples;

DiskBlockFile* newDiskBlock() { return static_cast<DiskBlockFile*>(BlockFactory::instance().create(BlockFile::Kind::Disk)); }

// The bytes a block file must hold for these samples, built from the format's rules:
// fine entries over each 256 samples; coarse entries start from their run's first sample
// and fold in the run's fine entries in order (which differs from a scan of the samples
// when a fine entry starts with a NaN).
std::vector<float> expectedFile(const std::vector<float>& s) {
    const int n = static_cast<int>(s.size());
    const int coarse = (n + 65535) >> 16;
    const int fine = (n + 255) >> 8;
    std::vector<float> fineEntries;
    for (int j = 0; j < fine; ++j) {
        float lo, hi;
        wdtest::referenceMinMax(s, j * 256, std::min(n, (j + 1) * 256), lo, hi);
        fineEntries.push_back(lo);
        fineEntries.push_back(hi);
    }
    std::vector<float> file;
    for (int i = 0; i < coarse; ++i) {
        float lo = s[static_cast<size_t>(i) * 65536], hi = lo;
        for (int j = i * 256; j < std::min(fine, (i + 1) * 256); ++j) {
            if (fineEntries[2 * j] < lo) lo = fineEntries[2 * j];
            if (fineEntries[2 * j + 1] > hi) hi = fineEntries[2 * j + 1];
        }
        file.push_back(lo);
        file.push_back(hi);
    }
    file.insert(file.end(), fineEntries.begin(), fineEntries.end());
    file.insert(file.end(), s.begin(), s.end());
    return file;
}

std::vector<float> fileFloats(const std::string& path) {
    std::string bytes = wdtest::readFile(path);
    std::vector<float> f(bytes.size() / 4);
    std::memcpy(f.data(), bytes.data(), f.size() * 4);
    return f;
}

bool sameBits(const std::vector<float>& a, const std::vector<float>& b) {
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * 4) == 0;
}

TEST(BlockFile, AFullBlockHasFourCoarseAndAThousandFineEntriesAndItsSamplesStartAtByte8224) {
    wdtest::ModelTempFolder temp;
    auto s = staircase(kFull);
    DiskBlockFile* b = newDiskBlock();
    ASSERT_EQ(b->write(s.data(), kFull * 4), kFull * 4);
    EXPECT_EQ(b->summary64kCount(), 4);
    EXPECT_EQ(b->summary256Offset(), 32);
    EXPECT_EQ(b->summary256Count(), 1024);
    EXPECT_EQ(b->summaryBytes(), 8224);
    EXPECT_EQ(b->length(), 0x100000);
    EXPECT_EQ(std::filesystem::file_size(b->path()), 8224u + 0x100000u);
    auto file = fileFloats(b->path());
    // The staircase makes every entry readable: run i holds i*65536 .. i*65536+65535.
    EXPECT_EQ(file[0], 0.0f);
    EXPECT_EQ(file[1], 65535.0f);
    EXPECT_EQ(file[6], 196608.0f);
    EXPECT_EQ(file[7], 262143.0f);
    EXPECT_EQ(file[8 + 2 * 1023], 261888.0f);
    EXPECT_EQ(file[8 + 2 * 1023 + 1], 262143.0f);
    EXPECT_EQ(file[8224 / 4], 0.0f);
    EXPECT_EQ(file[8224 / 4 + 12345], 12345.0f);
    EXPECT_TRUE(sameBits(file, expectedFile(s)));
    b->release();
}

TEST(BlockFile, AOneSampleBlockHoldsThatSampleAsMinimumAndMaximumAtBothLevels) {
    wdtest::ModelTempFolder temp;
    const float x = -0.25f;
    DiskBlockFile* b = newDiskBlock();
    ASSERT_EQ(b->write(&x, 4), 4);
    EXPECT_EQ(b->summary64kCount(), 1);
    EXPECT_EQ(b->summary256Count(), 1);
    EXPECT_EQ(b->summaryBytes(), 16);
    EXPECT_TRUE(sameBits(fileFloats(b->path()), std::vector<float>{x, x, x, x, x}));
    b->release();
}

TEST(BlockFile, The300SampleBlocksSecondFineEntryCoversSamples256To299Only) {
    wdtest::ModelTempFolder temp;
    auto s = staircase(300);
    DiskBlockFile* b = newDiskBlock();
    ASSERT_EQ(b->write(s.data(), 1200), 1200);
    EXPECT_EQ(b->summary64kCount(), 1);
    EXPECT_EQ(b->summary256Count(), 2);
    float fine[4];
    ASSERT_EQ(b->readSummary256(fine, 4, 0), 2);
    EXPECT_EQ(fine[0], 0.0f);
    EXPECT_EQ(fine[1], 255.0f);
    EXPECT_EQ(fine[2], 256.0f);
    EXPECT_EQ(fine[3], 299.0f);
    float coarse[2];
    ASSERT_EQ(b->readSummary64k(coarse, 1, 0), 1);
    EXPECT_EQ(coarse[0], 0.0f);
    EXPECT_EQ(coarse[1], 299.0f);
    EXPECT_TRUE(sameBits(fileFloats(b->path()), expectedFile(s)));
    b->release();
}

TEST(BlockFile, SummariesOfNoiseWithSignedZerosAndNaNsAreBitExact) {
    wdtest::ModelTempFolder temp;
    const unsigned seed = std::random_device{}();
    SCOPED_TRACE("noise seed " + std::to_string(seed));
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> noise(-1.0f, 1.0f);
    // sign 0: both signs; 1: no negative values, so minima are zeros of either sign;
    // -1: no positive values, so maxima are.
    for (int sign : {0, 1, -1})
    for (int n : {kFull, 65537, 70000, 511, 257, 256, 9}) {
        std::vector<float> s(static_cast<size_t>(n));
        for (float& v : s) {
            const unsigned r = rng() % 64;
            v = r < 8 ? 0.0f : r < 16 ? -0.0f : r == 16 ? std::numeric_limits<float>::quiet_NaN() : noise(rng);
            if (sign != 0 && v == v && v != 0.0f) v = static_cast<float>(sign) * std::fabs(v);
        }
        DiskBlockFile* b = newDiskBlock();
        ASSERT_EQ(b->write(s.data(), n * 4), n * 4);
        EXPECT_TRUE(sameBits(fileFloats(b->path()), expectedFile(s))) << n << " samples, sign " << sign;
        b->release();
    }
}

TEST(BlockFile, ReadsPastTheEndAreShortForDiskBlocksAndEmptyForSilentOnes) {
    wdtest::ModelTempFolder temp;
    auto s = staircase(100);
    DiskBlockFile* disk = newDiskBlock();
    ASSERT_EQ(disk->write(s.data(), 400), 400);
    float out[200];
    EXPECT_EQ(disk->readBytes(out, 800, 360), 40);
    EXPECT_EQ(out[0], 90.0f);
    EXPECT_EQ(out[9], 99.0f);
    EXPECT_EQ(disk->readBytes(out, 40, 400), 0);
    EXPECT_EQ(disk->readBytes(out, 40, 4000), 0);

    BlockFile* silent = BlockFactory::instance().create(BlockFile::Kind::Silent);
    ASSERT_EQ(silent->write(nullptr, 400), 400);
    std::fill(std::begin(out), std::end(out), 7.0f);
    EXPECT_EQ(silent->readBytes(out, 800, 360), 40);
    EXPECT_EQ(out[0], 0.0f);
    EXPECT_EQ(out[9], 0.0f);
    EXPECT_EQ(out[10], 7.0f);
    EXPECT_EQ(silent->readBytes(out, 40, 400), 0);
    disk->release();
    silent->release();
}

TEST(BlockFile, NegativeOffsetsAndCountsReadNothing) {
    wdtest::ModelTempFolder temp;
    auto s = staircase(1000);
    DiskBlockFile* disk = newDiskBlock();
    ASSERT_EQ(disk->write(s.data(), 4000), 4000);
    BlockFile* silent = BlockFactory::instance().create(BlockFile::Kind::Silent);
    silent->write(nullptr, 4000);
    // Guard words around the destination show that nothing is written outside it.
    for (BlockFile* b : {static_cast<BlockFile*>(disk), silent}) {
        std::vector<float> out(8, 7.0f);
        EXPECT_EQ(b->readBytes(out.data() + 2, 16, -4), -1);
        EXPECT_EQ(b->readBytes(out.data() + 2, -16, 0), -1);
        EXPECT_EQ(b->readSummary256(out.data() + 2, 1, -1), -1);
        EXPECT_EQ(b->readSummary64k(out.data() + 2, -1, 0), -1);
        EXPECT_EQ(out, std::vector<float>(8, 7.0f));
    }
    // Past the last entry a disk block delivers nothing.
    std::vector<float> out(8, 7.0f);
    EXPECT_EQ(disk->readSummary256(out.data(), 2, 4), 0);
    EXPECT_EQ(disk->readSummary256(out.data(), 2, 3), 1);
    EXPECT_EQ(out[0], 768.0f);
    EXPECT_EQ(out[1], 999.0f);
    EXPECT_EQ(out[2], 7.0f);
    disk->release();
    silent->release();
}

TEST(BlockFile, ReleasingTwiceFromACountOfTwoDeletesTheFileOnTheSecondReleaseOnly) {
    wdtest::ModelTempFolder temp;
    auto s = staircase(10);
    BlockFile* b = BlockFactory::instance().create(BlockFile::Kind::Disk);
    ASSERT_EQ(b->write(s.data(), 40), 40);
    const std::string path = b->path();
    b->addRef();
    EXPECT_EQ(b->refCount(), 2);
    b->release();
    EXPECT_TRUE(std::filesystem::exists(path));
    b->release();
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_EQ(temp.blockFileCount(), 0);
}

TEST(BlockFile, FileNumbersCountDiskBlocksOnlyWhileSerialsCountEveryBlock) {
    wdtest::ModelTempFolder temp;
    const uint32_t number = BlockFactory::instance().nextFileNumber();
    const uint32_t serial = BlockFactory::instance().nextSerial();
    BlockFile* a = BlockFactory::instance().create(BlockFile::Kind::Disk);
    BlockFile* quiet = BlockFactory::instance().create(BlockFile::Kind::Silent);
    BlockFile* b = BlockFactory::instance().create(BlockFile::Kind::Disk);
    EXPECT_EQ(a->path(), temp.blockFolder() + "/" + std::to_string(number) + ".temp");
    EXPECT_EQ(b->path(), temp.blockFolder() + "/" + std::to_string(number + 1) + ".temp");
    EXPECT_TRUE(quiet->path().empty());
    EXPECT_EQ(quiet->kind(), BlockFile::Kind::Silent);
    EXPECT_EQ(a->serial(), serial);
    EXPECT_EQ(quiet->serial(), serial + 1);
    EXPECT_EQ(b->serial(), serial + 2);
    EXPECT_EQ(a->refCount(), 1);
    for (BlockFile* x : {a, quiet, b}) x->release();
}

TEST(BlockFile, AMissingTemporaryFolderOrBlockFolderIsMadeAgainForTheNextBlock) {
    wdtest::ModelTempFolder temp;
    const std::string folder = temp.blockFolder();
    std::error_code kept;
    std::filesystem::remove_all(temp.path(), kept);
    if (kept) GTEST_SKIP() << "this system keeps a folder while a file in it is open (the folder's lock)";
    auto s = staircase(10);
    BlockFile* b = BlockFactory::instance().create(BlockFile::Kind::Disk);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->write(s.data(), 40), 40);
    EXPECT_TRUE(std::filesystem::exists(folder + "/" + std::filesystem::path(b->path()).filename().string()));
    b->release();
}

TEST(BlockFile, AWriteThatCannotCompleteFailsAndTheBlockHoldsNothing) {
    if (!wdtest::FileSizeLimit::supported()) GTEST_SKIP() << "this system cannot limit the size of files a process writes";
    wdtest::ModelTempFolder temp;
    auto s = staircase(kFull);
    DiskBlockFile* b = newDiskBlock();
    {
        wdtest::FileSizeLimit full(100000);
        EXPECT_EQ(b->write(s.data(), kFull * 4), -1);
    }
    EXPECT_EQ(b->length(), 0);
    float out[4];
    EXPECT_EQ(b->readBytes(out, 16, 0), 0);
    b->release();
    EXPECT_EQ(temp.blockFileCount(), 0);
}

TEST(BlockFile, AWriteIntoAFolderThatCannotBeMadeFails) {
    wdtest::TempDir dir;
    ASSERT_TRUE(wdtest::writeFile(dir.file("plain"), "x"));
    // A file where the temporary folder should be: no block folder can be made in it.
    EXPECT_EQ(wd::BlockFolder::instance().folderFor(dir.file("plain")), "");
}

TEST(BlockFile, SilentBlocksCountTheirLengthUpToCapacityAndReadAsZeros) {
    BlockFile* b = BlockFactory::instance().create(BlockFile::Kind::Silent);
    EXPECT_EQ(b->write(nullptr, 0), 0);
    EXPECT_EQ(b->write(nullptr, 0x80000), 0x80000);
    EXPECT_EQ(b->write(nullptr, 0x80000), 0x80000);
    EXPECT_EQ(b->length(), b->capacity());
    EXPECT_EQ(b->write(nullptr, 4), 0);
    BlockFile* c = BlockFactory::instance().create(BlockFile::Kind::Silent);
    EXPECT_EQ(c->write(nullptr, 0xC0000), 0xC0000);
    EXPECT_EQ(c->write(nullptr, 0xC0000), 0);
    EXPECT_EQ(c->length(), c->capacity());
    std::vector<float> pairs(6, 7.0f);
    EXPECT_EQ(b->readSummary256(pairs.data(), 3, 5), 3);
    EXPECT_EQ(pairs, std::vector<float>(6, 0.0f));
    b->release();
    c->release();
}

TEST(BlockFile, HoldersOnManyThreadsShareABlockAndTheLastOneDeletesIt) {
    wdtest::ModelTempFolder temp;
    auto s = staircase(1000);
    BlockFile* b = BlockFactory::instance().create(BlockFile::Kind::Disk);
    ASSERT_EQ(b->write(s.data(), 4000), 4000);
    const std::string path = b->path();
    constexpr int kThreads = 4;
    constexpr int kRounds = 2000;
    for (int i = 0; i < kThreads; ++i) b->addRef();
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([b] {
            float x[4];
            for (int r = 0; r < kRounds; ++r) {
                b->addRef();
                b->readBytes(x, 16, 400);
                b->release();
            }
            b->release();
        });
    }
    for (auto& t : threads) t.join();
    EXPECT_EQ(b->refCount(), 1);
    EXPECT_TRUE(std::filesystem::exists(path));
    b->release();
    EXPECT_FALSE(std::filesystem::exists(path));
}

}  // namespace
