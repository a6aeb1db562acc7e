// The encoders' output file where POSIX file kinds and permissions exist: FIFOs and
// devices are refused, and a replaced file keeps its permissions.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>

#include "formats/buffered_file_writer.h"
#include "formats/output_file.h"
#include "support/temp_dir.h"

namespace {

using wd::BufferedFileWriter;

TEST(BufferedFileWriter, TheTargetChangesOnlyWhenTheFileIsClosed) {
    wdtest::TempDir dir;
    ASSERT_TRUE(wdtest::writeFile(dir.file("out"), "old"));
    ::chmod(dir.file("out").c_str(), 0640);
    {
        BufferedFileWriter writer;
        ASSERT_TRUE(writer.Open(dir.file("out")));
        ASSERT_TRUE(writer.Write("new", 3));
        EXPECT_EQ(wdtest::readFile(dir.file("out")), "old") << "still the old file while writing";
    }
    EXPECT_EQ(wdtest::readFile(dir.file("out")), "old") << "dropped without Close";
    BufferedFileWriter writer;
    ASSERT_TRUE(writer.Open(dir.file("out")));
    ASSERT_TRUE(writer.Write("new", 3));
    ASSERT_TRUE(writer.Close());
    EXPECT_EQ(wdtest::readFile(dir.file("out")), "new");
    struct stat st {};
    ASSERT_EQ(::stat(dir.file("out").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u) << "the replaced file's permissions are kept";
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

TEST(BufferedFileWriter, OnlyRegularFilesAreWrittenAndTheReasonIsKept) {
    wdtest::TempDir dir;
    ASSERT_EQ(::mkfifo(dir.file("fifo").c_str(), 0600), 0);
    struct Case {
        std::string path;
        wd::FileProblem problem;
    } cases[] = {
        {dir.file("fifo"), wd::FileProblem::NotRegular},
        {"/dev/null", wd::FileProblem::NotRegular},
        {dir.path(), wd::FileProblem::NotRegular},
        {dir.file("no/folder/out"), wd::FileProblem::Missing},
        {dir.file(std::string(300, 'n')), wd::FileProblem::NameTooLong},
    };
    for (const Case& c : cases) {
        BufferedFileWriter writer;
        EXPECT_FALSE(writer.Open(c.path)) << c.path;
        EXPECT_EQ(writer.problem(), c.problem) << c.path;
    }
    int fd = wd::openRegularFileForReading(dir.file("fifo"));
    EXPECT_EQ(fd, -1) << "a FIFO without a writer is refused at once, not waited on";
}

}  // namespace
