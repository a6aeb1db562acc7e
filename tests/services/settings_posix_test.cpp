// Settings: defaults on first start, what is written when, and refused folders.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include "services/settings.h"
#include "platform/files/files.h"
#include "platform/registry/registry.h"
#include "platform/registry/registry_store.h"
#include "support/temp_dir.h"
#include "wavedeck.h"

namespace {

// A folder this process cannot create files in: a mode-0500 folder, unless the process
// is privileged enough to ignore modes, then a process folder of procfs.
std::string unwritableFolder(const wdtest::TempDir& dir) {
    std::string locked = dir.file("locked");
    ::mkdir(locked.c_str(), 0500);
    for (const std::string& candidate : {locked, std::string("/proc/1")}) {
        if (::access(candidate.c_str(), F_OK) == 0 && ::access(candidate.c_str(), W_OK) != 0) return candidate;
    }
    return {};
}

using wd::Settings;
using wd::platform::RegistryStore;

const std::string kRoot = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Quillmark\\SoundLoom\\";

class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegistryStore::setProcessPath(dir.file("registry"));
        previousCache_ = std::getenv("XDG_CACHE_HOME") ? std::getenv("XDG_CACHE_HOME") : "";
        ::setenv("XDG_CACHE_HOME", dir.file("cache").c_str(), 1);
    }
    void TearDown() override {
        RegistryStore::setProcessPath(RegistryStore::defaultPath());
        ::setenv("XDG_CACHE_HOME", previousCache_.c_str(), 1);
    }

    std::optional<uint32_t> storedDword(const std::string& key, const char* name) {
        auto v = RegistryStore(dir.file("registry")).value(kRoot + key, name);
        if (!v || v->data.size() != 4) return std::nullopt;
        return static_cast<uint32_t>(v->data[0] | v->data[1] << 8 | v->data[2] << 16 | v->data[3] << 24);
    }
    std::optional<std::string> storedFolder() {
        auto v = RegistryStore(dir.file("registry")).value(kRoot + "TempDir", "Folder");
        if (!v || v->data.empty()) return std::nullopt;
        return std::string(v->data.begin(), v->data.end() - 1);
    }

    void store(const std::string& key, const char* name, const wd::platform::RegistryValue& value) {
        RegistryStore registry(dir.file("registry"));
        ASSERT_TRUE(registry.createKey(kRoot + key));
        ASSERT_TRUE(registry.setValue(kRoot + key, name, value));
    }
    static wd::platform::RegistryValue text(const std::string& t) {
        wd::platform::RegistryValue v{REG_SZ, std::vector<uint8_t>(t.begin(), t.end())};
        v.data.push_back(0);
        return v;
    }

    wdtest::TempDir dir;
    std::string previousCache_;
};

TEST_F(SettingsTest, FirstStartWritesEveryDefaultAndMakesTheFolderInTheUserCache) {
    ::setenv("TMPDIR", dir.file("tmp").c_str(), 1);  // not a place for gigabytes of blocks
    Settings settings;
    settings.load();
    ::unsetenv("TMPDIR");
    EXPECT_EQ(settings.tempFolder(), dir.file("cache/wavedeck"));
    struct stat st {};
    ASSERT_EQ(::stat(dir.file("cache/wavedeck").c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_EQ(storedFolder(), dir.file("cache/wavedeck"));
    EXPECT_EQ(storedDword("MP3Format", "Bitrate"), 128u);
    EXPECT_EQ(storedDword("WMAFormat", "Bitrate"), 128u);
    EXPECT_EQ(storedDword("OGGFormat", "Bitrate"), 5u);
    EXPECT_EQ(settings.formatQuality(1), 128);
    EXPECT_EQ(settings.formatQuality(2), 128);
    EXPECT_EQ(settings.formatQuality(3), 5);
}

TEST_F(SettingsTest, ValuesOfTheWrongTypeAndRelativeFoldersCountAsMissing) {
    store("TempDir", "Folder", {REG_DWORD, {0x41, 0x41, 0x41, 0x41}});
    store("MP3Format", "Bitrate", text("192"));
    Settings first;
    first.load();
    EXPECT_EQ(first.tempFolder(), dir.file("cache/wavedeck"));
    EXPECT_EQ(first.formatQuality(1), 128);
    EXPECT_EQ(storedDword("MP3Format", "Bitrate"), 128u) << "the default replaced the wrong value";

    store("TempDir", "Folder", text("AAAA"));
    Settings second;
    second.load();
    EXPECT_EQ(second.tempFolder(), dir.file("cache/wavedeck")) << "a relative folder would follow the current folder";
    EXPECT_FALSE(second.setTempFolder("relative/blocks"));
}

TEST_F(SettingsTest, StoredValuesWinAndAStoredFolderIsNotCreatedAtLoad) {
    {
        RegistryStore store(dir.file("registry"));
        ASSERT_TRUE(store.createKey(kRoot + "TempDir"));
        ASSERT_TRUE(store.createKey(kRoot + "MP3Format"));
        std::string folder = dir.file("elsewhere");
        wd::platform::RegistryValue v{REG_SZ, std::vector<uint8_t>(folder.begin(), folder.end())};
        v.data.push_back(0);
        ASSERT_TRUE(store.setValue(kRoot + "TempDir", "Folder", v));
        ASSERT_TRUE(store.setValue(kRoot + "MP3Format", "Bitrate", {REG_DWORD, {0x40, 1, 0, 0}}));
    }
    Settings settings;
    settings.load();
    EXPECT_EQ(settings.tempFolder(), dir.file("elsewhere"));
    EXPECT_EQ(settings.formatQuality(1), 320);
    EXPECT_EQ(settings.formatQuality(3), 5);
    struct stat st {};
    EXPECT_NE(::stat(dir.file("elsewhere").c_str(), &st), 0);
}

TEST_F(SettingsTest, ACorruptStoreGivesTheDefaults) {
    static const char kGarbage[] = "\0\xff\xfe garbage [[[\n\"x\"=";
    ASSERT_TRUE(wdtest::writeFile(dir.file("registry"), std::string(kGarbage, sizeof kGarbage - 1)));
    Settings settings;
    settings.load();
    EXPECT_EQ(settings.formatQuality(1), 128);
    EXPECT_EQ(settings.tempFolder(), dir.file("cache/wavedeck"));
    EXPECT_EQ(storedDword("OGGFormat", "Bitrate"), 5u);
}

TEST_F(SettingsTest, AnUnwritableStoreGivesWorkingDefaultsAndRefusesChangesItCannotKeep) {
    ASSERT_TRUE(wdtest::writeFile(dir.file("plain"), "x"));
    RegistryStore::setProcessPath(dir.file("plain/registry"));
    Settings settings;
    settings.load();
    EXPECT_EQ(settings.formatQuality(2), 128);
    EXPECT_EQ(settings.tempFolder(), dir.file("cache/wavedeck"));
    EXPECT_FALSE(settings.setFormatQuality(2, 64));
    EXPECT_EQ(settings.formatQuality(2), 128);
    ASSERT_EQ(::mkdir(dir.file("blocks").c_str(), 0700), 0);
    EXPECT_FALSE(settings.setTempFolder(dir.file("blocks").c_str()));
    EXPECT_EQ(settings.tempFolder(), dir.file("cache/wavedeck"));
    settings.save();
}

TEST_F(SettingsTest, ChangesAreWrittenAtOnce) {
    Settings settings;
    settings.load();
    ASSERT_EQ(::mkdir(dir.file("blocks").c_str(), 0700), 0);
    ASSERT_TRUE(settings.setTempFolder(dir.file("blocks").c_str()));
    ASSERT_TRUE(settings.setFormatQuality(3, 8));
    EXPECT_EQ(storedDword("OGGFormat", "Bitrate"), 8u);
    EXPECT_EQ(storedFolder(), dir.file("blocks"));

    Settings next;
    next.load();
    EXPECT_EQ(next.tempFolder(), dir.file("blocks"));
    EXPECT_EQ(next.formatQuality(3), 8);
}

TEST_F(SettingsTest, UnknownFormatsAreRefusedAndWriteNothing) {
    Settings settings;
    settings.load();
    std::string before = wdtest::readFile(dir.file("registry"));
    EXPECT_FALSE(settings.setFormatQuality(4, 99));
    EXPECT_FALSE(settings.setFormatQuality(0, 99));
    EXPECT_EQ(settings.formatQuality(4), 0);
    EXPECT_EQ(settings.formatQuality(-1), 0);
    EXPECT_EQ(wdtest::readFile(dir.file("registry")), before);
}

TEST_F(SettingsTest, OnlyAWritableFolderBecomesTheTemporaryFolder) {
    Settings settings;
    settings.load();
    const std::string before = settings.tempFolder();
    ASSERT_TRUE(wdtest::writeFile(dir.file("file.txt"), "x"));
    EXPECT_FALSE(settings.setTempFolder(dir.file("file.txt").c_str())) << "a plain file";
    EXPECT_FALSE(settings.setTempFolder(dir.file("missing").c_str()));
    EXPECT_FALSE(settings.setTempFolder(nullptr));
    if (std::string locked = unwritableFolder(dir); !locked.empty()) {
        EXPECT_FALSE(settings.setTempFolder(locked.c_str())) << "a folder this process cannot write in";
    }
    EXPECT_EQ(settings.tempFolder(), before);
}

TEST(FileAttributes, FoldersFilesAndMissingPaths) {
    wdtest::TempDir dir;
    ASSERT_TRUE(wdtest::writeFile(dir.file("f"), "x"));
    EXPECT_EQ(GetFileAttributesA(dir.path().c_str()), 16u);
    EXPECT_EQ(GetFileAttributesA(dir.file("f").c_str()), 32u);
    EXPECT_EQ(GetFileAttributesA(dir.file("none").c_str()), 0xFFFFFFFFu);
    std::string locked = unwritableFolder(dir);
    if (locked.empty()) GTEST_SKIP() << "no folder here is unwritable for this process";
    EXPECT_EQ(GetFileAttributesA(locked.c_str()), 0x11u) << "a folder that cannot be written is read-only";
}

}  // namespace
