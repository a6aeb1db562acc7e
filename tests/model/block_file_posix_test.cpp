// Block folders as POSIX processes see them: private permissions, and folders of ended
// processes reclaimed.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "model/block_folder.h"
#include "support/temp_block_folder.h"
#include "support/temp_dir.h"

namespace {

TEST(BlockFile, BlocksLiveInAPrivateFolderOfTheProcessWithMode0700) {
    wdtest::ModelTempFolder temp;
    const std::string folder = temp.blockFolder();
    EXPECT_EQ(std::filesystem::path(folder).parent_path(), std::filesystem::path(temp.path()));
    EXPECT_EQ(std::filesystem::path(folder).filename().string().rfind("wavedeck-" + std::to_string(getpid()) + "-", 0), 0u);
    struct stat st {};
    ASSERT_EQ(stat(folder.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    // The same folder serves every block of this temporary folder.
    EXPECT_EQ(wd::BlockFolder::instance().folderFor(temp.path()), folder);
}

TEST(BlockFile, FoldersOfProcessesThatAreGoneAreReclaimedAndLiveOnesStay) {
    wdtest::TempDir dir;
    // A child that ended: its pid names a folder nobody owns any more.
    const pid_t gone = fork();
    if (gone == 0) _exit(0);
    ASSERT_GT(gone, 0);
    waitpid(gone, nullptr, 0);
    const std::string abandoned = dir.file("wavedeck-" + std::to_string(gone) + "-abcdef");
    const std::string live = dir.file("wavedeck-" + std::to_string(getppid()) + "-ghijkl");
    const std::string other = dir.file("wavedeck-notes");
    const std::string journalled = dir.file("wavedeck-" + std::to_string(gone) + "-mnopqr");
    for (const std::string& folder : {abandoned, live, other, journalled}) {
        std::filesystem::create_directories(folder);
        ASSERT_TRUE(wdtest::writeFile(folder + "/0.temp", std::string(4096, 'x')));
    }
    ASSERT_TRUE(wdtest::writeFile(journalled + "/track-0.wdj", "journal 1\n"));
    // This process's own folder is locked and stays too.
    const std::string mine = wd::BlockFolder::instance().folderFor(dir.path());
    ASSERT_FALSE(mine.empty());

    EXPECT_EQ(wd::BlockFolder::reclaimAbandoned(dir.path(), ".wdj"), 1);
    EXPECT_TRUE(std::filesystem::exists(journalled + "/0.temp")) << "kept for recovery";
    EXPECT_FALSE(std::filesystem::exists(abandoned));
    EXPECT_TRUE(std::filesystem::exists(live + "/0.temp")) << "its process lives";
    EXPECT_TRUE(std::filesystem::exists(other + "/0.temp")) << "not a block folder";
    EXPECT_TRUE(std::filesystem::exists(mine));
}

}  // namespace
