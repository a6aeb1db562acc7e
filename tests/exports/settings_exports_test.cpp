// The settings and path exports, called on the shared library as a host calls them.
#include <gtest/gtest.h>

#include <limits.h>
#include <sys/stat.h>

#include <cstdlib>
#include <string>

#include "support/temp_dir.h"
#include "wavedeck.h"

namespace {

std::string tempFolder() {
    std::string text(WD_MAX_TEXT, '\0');
    EXPECT_EQ(WDXGetTempFolder(text.data()), 1);
    return text.c_str();
}

TEST(SettingsExports, ModulePathIsTheFolderOfTheLoadedLibrary) {
    std::string text(WD_MAX_TEXT, '\0');
    EXPECT_EQ(WDXGetModulePath(text.data()), 1);
    char expected[PATH_MAX];
    ASSERT_TRUE(::realpath(WAVEDECK_LIBRARY_DIR, expected));
    EXPECT_STREQ(text.c_str(), expected);
    EXPECT_EQ(WDXGetModulePath(nullptr), 0);
}

TEST(SettingsExports, FirstStartPutsBlocksInTheUserCacheNotBesideTheLibrary) {
    const char* cache = std::getenv("XDG_CACHE_HOME");
    ASSERT_TRUE(cache);
    EXPECT_EQ(tempFolder(), std::string(cache) + "/wavedeck");
    EXPECT_EQ(WDXGetTempFolder(nullptr), 0);
}

TEST(SettingsExports, TemporaryFolderAcceptsOnlyAWritableFolder) {
    wdtest::TempDir dir;
    const std::string before = tempFolder();
    ASSERT_TRUE(wdtest::writeFile(dir.file("plain"), "x"));
    EXPECT_EQ(WDXSetTempFolder(dir.file("plain").c_str()), 0);
    EXPECT_EQ(WDXSetTempFolder(dir.file("missing").c_str()), 0);
    EXPECT_EQ(WDXSetTempFolder(nullptr), 0);
    EXPECT_EQ(tempFolder(), before);
    EXPECT_EQ(WDXSetTempFolder(dir.path().c_str()), 1);
    EXPECT_EQ(tempFolder(), dir.path());
    EXPECT_EQ(WDXSetTempFolder(before.c_str()), 1);
}

TEST(SettingsExports, QualityIsKeptPerFormatAndWrittenAtOnce) {
    EXPECT_EQ(WDXGetFormatQuality(1), 128);
    EXPECT_EQ(WDXGetFormatQuality(2), 128);
    EXPECT_EQ(WDXGetFormatQuality(3), 5);
    EXPECT_EQ(WDXSetFormatQuality(1, 192), 1);
    EXPECT_EQ(WDXSetFormatQuality(3, 7), 1);
    EXPECT_EQ(WDXGetFormatQuality(1), 192);
    EXPECT_EQ(WDXGetFormatQuality(2), 128);
    EXPECT_EQ(WDXGetFormatQuality(3), 7);
    const char* registry = std::getenv("WAVEDECK_REGISTRY");
    ASSERT_TRUE(registry);
    std::string text = wdtest::readFile(registry);
    EXPECT_NE(text.find("\"Bitrate\"=dword:000000c0"), std::string::npos) << text;

    EXPECT_EQ(WDXSetFormatQuality(4, 1), 0);
    EXPECT_EQ(WDXSetFormatQuality(0, 1), 0);
    EXPECT_EQ(WDXGetFormatQuality(4), 0);
    EXPECT_EQ(wdtest::readFile(registry), text) << "an unknown format writes nothing";
}

TEST(SettingsExports, VersionIsThePackageVersion) {
    EXPECT_STREQ(WDXGetVersion(), WAVEDECK_VERSION_TEXT);
}

}  // namespace
