// Settings in the system's registry, under HKEY_LOCAL_MACHINE as the library keeps them
// (redirected, for this test process only, to a fresh key of its own).
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>

#include "services/settings.h"
#include "support/temp_dir.h"

namespace {

using wd::Settings;

constexpr const char* kRoot = "SOFTWARE\\Quillmark\\SoundLoom\\";

std::optional<DWORD> storedDword(const std::string& key, const char* name) {
    DWORD value = 0;
    DWORD size = sizeof value;
    if (RegGetValueA(HKEY_LOCAL_MACHINE, (kRoot + key).c_str(), name, RRF_RT_REG_DWORD, nullptr, &value, &size) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    return value;
}

std::optional<std::string> storedText(const std::string& key, const char* name) {
    char value[MAX_PATH] = {};
    DWORD size = sizeof value;
    if (RegGetValueA(HKEY_LOCAL_MACHINE, (kRoot + key).c_str(), name, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    return std::string(value);
}

void store(const std::string& key, const char* name, DWORD type, const void* data, DWORD size) {
    ASSERT_EQ(RegSetKeyValueA(HKEY_LOCAL_MACHINE, (kRoot + key).c_str(), name, type, data, size), ERROR_SUCCESS);
}

std::string localAppData() {
    char folder[MAX_PATH] = {};
    EXPECT_TRUE(SUCCEEDED(SHGetFolderPathA(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder)));
    return folder;
}

TEST(SettingsInTheRegistry, FirstStartWritesEveryDefaultAndPutsBlocksInTheUsersLocalData) {
    Settings settings;
    settings.load();
    const std::string folder = localAppData() + "/wavedeck";
    EXPECT_EQ(settings.tempFolder(), folder);
    EXPECT_TRUE(std::filesystem::is_directory(folder));
    EXPECT_EQ(storedText("TempDir", "Folder"), folder);
    EXPECT_EQ(storedDword("MP3Format", "Bitrate"), 128u);
    EXPECT_EQ(storedDword("WMAFormat", "Bitrate"), 128u);
    EXPECT_EQ(storedDword("OGGFormat", "Bitrate"), 5u);
}

TEST(SettingsInTheRegistry, StoredValuesWinAndChangesAreWrittenAtOnce) {
    wdtest::TempDir dir;
    const std::string folder = dir.path();
    store("TempDir", "Folder", REG_SZ, folder.c_str(), static_cast<DWORD>(folder.size() + 1));
    const DWORD bitrate = 192;
    store("MP3Format", "Bitrate", REG_DWORD, &bitrate, sizeof bitrate);
    Settings settings;
    settings.load();
    EXPECT_EQ(settings.tempFolder(), folder);
    EXPECT_EQ(settings.formatQuality(1), 192);

    EXPECT_TRUE(settings.setFormatQuality(3, 7));
    EXPECT_EQ(storedDword("OGGFormat", "Bitrate"), 7u);
    EXPECT_FALSE(settings.setFormatQuality(4, 1));
    ASSERT_TRUE(std::filesystem::create_directory(dir.file("blocks")));
    // Attributes that say nothing about making files there: the shell marks the folders it
    // customises read-only, and the user's AppData is hidden.
    ASSERT_TRUE(SetFileAttributesA(dir.file("blocks").c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
    EXPECT_TRUE(settings.setTempFolder(dir.file("blocks").c_str()));
    EXPECT_EQ(storedText("TempDir", "Folder"), dir.file("blocks"));
    SetFileAttributesA(dir.file("blocks").c_str(), FILE_ATTRIBUTE_NORMAL);
    ASSERT_TRUE(wdtest::writeFile(dir.file("plain"), "x"));
    EXPECT_FALSE(settings.setTempFolder(dir.file("plain").c_str()));
}

}  // namespace
