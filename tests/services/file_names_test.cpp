// File-name helpers at their edges: no dot, no separator, either separator.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "services/file_names.h"
#include "wavedeck.h"

namespace {

struct Out {
    char text[256];
    Out() { std::string("untouched").copy(text, 10); text[9] = 0; }
    std::string str() const { return text; }
};

TEST(FileExtension, IsTheTextAfterTheLastDotWithCaseKept) {
    Out out;
    EXPECT_EQ(WDXGetFileExtension("C:\\music\\song.WAV", out.text), 0);
    EXPECT_EQ(out.str(), "WAV");
    EXPECT_EQ(WDXGetFileExtension("/home/u/a.tar.gz", out.text), 0);
    EXPECT_EQ(out.str(), "gz");
}

TEST(FileExtension, MayReachIntoAFolderNameWhenTheNameHasNoDot) {
    Out out;
    EXPECT_EQ(WDXGetFileExtension("C:\\a.b\\name", out.text), 0);
    EXPECT_EQ(out.str(), "b\\name");
}

TEST(FileExtension, FailsWithoutDotOrWithATrailingDotAndLeavesOutAlone) {
    Out out;
    EXPECT_EQ(WDXGetFileExtension("C:\\music\\song", out.text), -1);
    EXPECT_EQ(WDXGetFileExtension("song.", out.text), -1);
    EXPECT_EQ(out.str(), "untouched");
    EXPECT_EQ(WDXGetFileExtension("a.wav", nullptr), -1);
    EXPECT_EQ(WDXGetFileExtension(nullptr, out.text), -1);
}

TEST(FileNameNoExtension, TakesTheNameBetweenSeparatorAndDot) {
    Out out;
    EXPECT_EQ(WDXGetFileNameNoExtension("C:\\music\\song.wav", out.text), 0);
    EXPECT_EQ(out.str(), "song");
    EXPECT_EQ(WDXGetFileNameNoExtension("C:/music/song.wav", out.text), 0);
    EXPECT_EQ(out.str(), "song");
    EXPECT_EQ(WDXGetFileNameNoExtension("/home/u/take 1.final.wav", out.text), 0);
    EXPECT_EQ(out.str(), "take 1.final");
}

TEST(FileNameNoExtension, BackslashWinsOverSlash) {
    Out out;
    EXPECT_EQ(WDXGetFileNameNoExtension("C:\\music/sub/song.wav", out.text), 0);
    EXPECT_EQ(out.str(), "music/sub/song");
}

TEST(FileNameNoExtension, DotBeforeTheSeparatorGivesTheWholeName) {
    Out out;
    EXPECT_EQ(WDXGetFileNameNoExtension("C:\\a.b\\name", out.text), 0);
    EXPECT_EQ(out.str(), "name");
}

TEST(FileNameNoExtension, FailuresAndWhatTheyLeaveInOut) {
    Out out;
    EXPECT_EQ(WDXGetFileNameNoExtension("song.wav", out.text), -1);
    EXPECT_EQ(out.str(), "untouched");
    EXPECT_EQ(WDXGetFileNameNoExtension("C:\\music\\.wav", out.text), -1);
    EXPECT_EQ(out.str(), "untouched");
    EXPECT_EQ(WDXGetFileNameNoExtension("C:\\music\\song", out.text), -1);
    EXPECT_EQ(out.str(), "C:\\music\\song");
    EXPECT_EQ(WDXGetFileNameNoExtension("x.wav", nullptr), -1);
}

TEST(FileNameHasExt, OnlyTheBackslashSeparates) {
    Out out;
    EXPECT_EQ(WDXGetFileNameHasExt("C:\\music\\song.wav", out.text), 0);
    EXPECT_EQ(out.str(), "song.wav");
    EXPECT_EQ(WDXGetFileNameHasExt("C:/music/song.wav", out.text), 0);
    EXPECT_EQ(out.str(), "C:/music/song.wav");
    EXPECT_EQ(WDXGetFileNameHasExt("C:\\music\\", out.text), 0);
    EXPECT_EQ(out.str(), "");
}

TEST(FilePath, IsEverythingBeforeTheLastSeparator) {
    Out out;
    EXPECT_EQ(WDXGetFilePath("C:\\music\\song.wav", out.text), 0);
    EXPECT_EQ(out.str(), "C:\\music");
    EXPECT_EQ(WDXGetFilePath("C:\\music\\", out.text), 0);
    EXPECT_EQ(out.str(), "C:\\music");
    EXPECT_EQ(WDXGetFilePath("/usr/lib/libwavedeck.so", out.text), 0);
    EXPECT_EQ(out.str(), "/usr/lib");
}

TEST(FilePath, FailsWithoutSeparatorOrWithOnlyALeadingOne) {
    Out out;
    EXPECT_EQ(WDXGetFilePath("song.wav", out.text), -1);
    EXPECT_EQ(WDXGetFilePath("/song.wav", out.text), -1);
    EXPECT_EQ(out.str(), "untouched");
    EXPECT_EQ(WDXGetFilePath("a/b", nullptr), -1);
}

TEST(DirectoryOf, NeverTakesTheLastCharacterAsTheSeparator) {
    char out[64] = "untouched";
    EXPECT_TRUE(wd::directoryOf("C:\\music\\", out));
    EXPECT_STREQ(out, "C:");
    EXPECT_TRUE(wd::directoryOf("/opt/wavedeck/lib/libwavedeck.so", out));
    EXPECT_STREQ(out, "/opt/wavedeck/lib");
    std::strcpy(out, "untouched");
    EXPECT_FALSE(wd::directoryOf("name", out));
    EXPECT_FALSE(wd::directoryOf("/", out));
    EXPECT_STREQ(out, "untouched");
    EXPECT_FALSE(wd::directoryOf(nullptr, out));
    EXPECT_FALSE(wd::directoryOf("a/b", nullptr));
}

TEST(ToLowerAscii, ChangesOnlyAsciiCapitals) {
    char text[] = "WaV.\xC4Z@[";
    EXPECT_EQ(wd::toLowerAscii(text), 0);
    EXPECT_STREQ(text, "wav.\xC4z@[");
    EXPECT_EQ(wd::toLowerAscii(nullptr), -1);
}

}  // namespace
