// The 1 MiB output buffer of the encoders: content across buffer edges, limits, failures.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "formats/buffered_file_writer.h"
#include "support/model_file_size_limit.h"
#include "support/temp_dir.h"

namespace {

using wd::BufferedFileWriter;

TEST(BufferedFileWriter, WritesEveryByteInOrderAcrossBufferEdges) {
    wdtest::TempDir dir;
    std::mt19937 random(1234);
    std::string expected;
    BufferedFileWriter writer;
    ASSERT_TRUE(writer.Open(dir.file("out")));
    // Pieces from 0 bytes to a whole buffer, so tops-up land at every kind of offset.
    for (size_t size : {size_t{0}, size_t{1}, size_t{4095}, BufferedFileWriter::kBufferBytes - 7, size_t{8480},
                        BufferedFileWriter::kBufferBytes, size_t{3}, size_t{700000}, size_t{700000}}) {
        std::string piece(size, '\0');
        for (char& c : piece) c = static_cast<char>(random());
        ASSERT_TRUE(writer.Write(piece.data(), piece.size()));
        expected += piece;
    }
    ASSERT_TRUE(writer.Close());
    EXPECT_EQ(wdtest::readFile(dir.file("out")), expected);
}

TEST(BufferedFileWriter, RefusesMoreThanOneBufferAtOnceAndWritesWithoutAFile) {
    wdtest::TempDir dir;
    BufferedFileWriter writer;
    char byte = 'x';
    EXPECT_FALSE(writer.Write(&byte, 1)) << "not open";
    ASSERT_TRUE(writer.Open(dir.file("out")));
    std::string big(BufferedFileWriter::kBufferBytes + 1, 'a');
    EXPECT_FALSE(writer.Write(big.data(), big.size()));
    EXPECT_TRUE(writer.Write(&byte, 1));
    EXPECT_TRUE(writer.Close());
    EXPECT_EQ(wdtest::readFile(dir.file("out")), "x");
    EXPECT_FALSE(writer.Open(dir.file("no/folder/out")));
}

TEST(BufferedFileWriter, AFullDiskIsReportedAndLeavesTheOldFileAsItWas) {
    if (!wdtest::FileSizeLimit::supported()) GTEST_SKIP() << "this system cannot limit the size of files a process writes";
    wdtest::TempDir dir;
    ASSERT_TRUE(wdtest::writeFile(dir.file("out"), "the old file"));
    {
        wdtest::FileSizeLimit limit(BufferedFileWriter::kBufferBytes / 2);
        BufferedFileWriter writer;
        ASSERT_TRUE(writer.Open(dir.file("out")));
        std::string piece(BufferedFileWriter::kBufferBytes, 'z');
        writer.Write(piece.data(), piece.size());
        writer.Write(piece.data(), 10);
        EXPECT_FALSE(writer.Close());
    }
    EXPECT_EQ(wdtest::readFile(dir.file("out")), "the old file");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1) << "no temporary file left";
}

}  // namespace
