// The registry stand-in: the store file, the Windows-shaped calls and RegistryKey.
#include <gtest/gtest.h>

#include <filesystem>

#include <unistd.h>

#include <fcntl.h>

#include <sys/stat.h>

#include <thread>
#include <vector>

#include "services/registry_key.h"
#include "platform/registry/registry.h"
#include "platform/registry/registry_store.h"
#include "support/temp_dir.h"

namespace {

using wd::RegistryKey;
using wd::platform::RegistryStore;
using wd::platform::RegistryValue;

RegistryValue text(const std::string& s) {
    RegistryValue v{REG_SZ, std::vector<uint8_t>(s.begin(), s.end())};
    v.data.push_back(0);
    return v;
}

// Points the process store at a file of the test's own for the test's lifetime.
class ProcessStore {
public:
    explicit ProcessStore(const std::string& path) { RegistryStore::setProcessPath(path); }
    ~ProcessStore() { RegistryStore::setProcessPath(RegistryStore::defaultPath()); }
};

TEST(RegistryStore, MissingFileReadsAsEmptyAndIsNotCreatedByReading) {
    wdtest::TempDir dir;
    RegistryStore store(dir.file("registry"));
    EXPECT_FALSE(store.keyExists("HKEY_LOCAL_MACHINE\\SOFTWARE"));
    EXPECT_FALSE(store.value("HKEY_LOCAL_MACHINE\\SOFTWARE", "x"));
    struct stat st {};
    EXPECT_NE(::stat(dir.file("registry").c_str(), &st), 0);
}

TEST(RegistryStore, ValuesSurviveAReopenWithTypesAndAwkwardTexts) {
    wdtest::TempDir dir;
    const std::string key = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Test";
    const std::string awkward = "C:\\path with \"quotes\"\nand\ttabs \x01 and \xC3\xA9";
    {
        RegistryStore store(dir.file("sub/registry"));
        ASSERT_TRUE(store.createKey(key));
        ASSERT_TRUE(store.setValue(key, "Folder", text(awkward)));
        ASSERT_TRUE(store.setValue(key, "Bitrate", RegistryValue{REG_DWORD, {0x80, 0, 0, 0}}));
        ASSERT_TRUE(store.setValue(key, "Blob", RegistryValue{REG_BINARY, {0, 1, 0xff}}));
        ASSERT_TRUE(store.setValue(key, "Unterminated", RegistryValue{REG_SZ, {'a', 'b'}}));
    }
    RegistryStore again(dir.file("sub/registry"));
    EXPECT_EQ(again.value(key, "folder"), text(awkward)) << "names compare without case";
    EXPECT_EQ(again.value("hkey_local_machine\\software\\TEST", "Bitrate"), (RegistryValue{REG_DWORD, {0x80, 0, 0, 0}}));
    EXPECT_EQ(again.value(key, "Blob"), (RegistryValue{REG_BINARY, {0, 1, 0xff}}));
    EXPECT_EQ(again.value(key, "Unterminated"), (RegistryValue{REG_SZ, {'a', 'b'}}));
    EXPECT_TRUE(again.keyExists("HKEY_LOCAL_MACHINE\\SOFTWARE")) << "parents are made with the key";
}

TEST(RegistryStore, ValuesNeedTheirKey) {
    wdtest::TempDir dir;
    RegistryStore store(dir.file("registry"));
    EXPECT_FALSE(store.setValue("HKEY_LOCAL_MACHINE\\Nope", "x", text("y")));
    EXPECT_FALSE(store.createKey(""));
}

TEST(RegistryStore, GarbageFileKeepsItsReadableEntriesAndABackup) {
    wdtest::TempDir dir;
    const std::string path = dir.file("registry");
    const std::string garbage =
        "\x7f" "ELF\x01\x02 binary junk\n"
        "[HKEY_LOCAL_MACHINE\\Good]\n"
        "\"Bitrate\"=dword:000000c0\n"
        "\"Broken\"=dword:zz\n"
        "\"Half\"=sz:\"no end\n"
        "[unterminated\n"
        "\"Orphan\"=dword:00000001\n";
    ASSERT_TRUE(wdtest::writeFile(path, garbage));
    RegistryStore store(path);
    auto bitrate = store.value("HKEY_LOCAL_MACHINE\\Good", "Bitrate");
    ASSERT_TRUE(bitrate);
    EXPECT_EQ(bitrate->data[0], 0xc0);
    EXPECT_FALSE(store.value("HKEY_LOCAL_MACHINE\\Good", "Broken"));
    EXPECT_FALSE(store.value("HKEY_LOCAL_MACHINE\\Good", "Half"));

    ASSERT_TRUE(store.setValue("HKEY_LOCAL_MACHINE\\Good", "New", text("v")));
    EXPECT_EQ(wdtest::readFile(path + ".corrupt"), garbage) << "the unreadable original is kept";
    EXPECT_FALSE(RegistryStore::parse(wdtest::readFile(path)).malformed) << "the rewrite is clean";
    EXPECT_TRUE(store.value("HKEY_LOCAL_MACHINE\\Good", "Bitrate"));
}

TEST(RegistryStore, OnlyARegularFileOfReasonableSizeIsReadAndReplaced) {
    wdtest::TempDir dir;
    ASSERT_EQ(::mkdir(dir.file("folder").c_str(), 0700), 0);
    ASSERT_EQ(::mkfifo(dir.file("fifo").c_str(), 0600), 0);
    ASSERT_EQ(::symlink("/dev/zero", dir.file("zeros").c_str()), 0);
    // A sparse file past the bound: reading it would take gigabytes of memory.
    {
        const int fd = ::open(dir.file("huge").c_str(), O_WRONLY | O_CREAT, 0600);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::ftruncate(fd, 3LL << 30), 0);
        ::close(fd);
    }
    for (const char* name : {"folder", "fifo", "zeros", "huge"}) {
        RegistryStore store(dir.file(name));
        EXPECT_FALSE(store.keyExists("HKEY_LOCAL_MACHINE\\SOFTWARE")) << name;
        EXPECT_FALSE(store.createKey("HKEY_LOCAL_MACHINE\\SOFTWARE")) << name << ": not replaced";
    }
    EXPECT_FALSE(std::filesystem::exists(dir.file("huge.corrupt")));
}

TEST(RegistryStore, AnUnwritableLocationRefusesWritesWithoutLeavingFilesBehind) {
    wdtest::TempDir dir;
    ASSERT_TRUE(wdtest::writeFile(dir.file("plain"), "x"));
    // A path below a plain file cannot be written, whatever the process's rights.
    RegistryStore store(dir.file("plain/registry"));
    EXPECT_FALSE(store.createKey("HKEY_LOCAL_MACHINE\\SOFTWARE"));
    EXPECT_EQ(wdtest::readFile(dir.file("plain")), "x");
}

TEST(RegistryStore, ARewriteNeverLeavesAHalfWrittenFile) {
    wdtest::TempDir dir;
    const std::string path = dir.file("registry");
    RegistryStore writer(path);
    ASSERT_TRUE(writer.createKey("HKEY_LOCAL_MACHINE\\K"));
    std::atomic<bool> stop{false};
    std::atomic<int> torn{0};
    std::thread reader([&] {
        while (!stop) {
            std::string text = wdtest::readFile(path);
            if (text.empty() || RegistryStore::parse(text).malformed) ++torn;
        }
    });
    for (int i = 0; i < 200; ++i) {
        ASSERT_TRUE(writer.setValue("HKEY_LOCAL_MACHINE\\K", "v" + std::to_string(i % 7), text(std::string(500, 'a' + i % 26))));
    }
    stop = true;
    reader.join();
    EXPECT_EQ(torn, 0);
}

TEST(RegistryStore, TwoWritersLoseNothing) {
    wdtest::TempDir dir;
    const std::string path = dir.file("registry");
    RegistryStore a(path), b(path);
    ASSERT_TRUE(a.createKey("HKEY_LOCAL_MACHINE\\K"));
    auto write = [](RegistryStore& s, const std::string& prefix) {
        for (int i = 0; i < 50; ++i) s.setValue("HKEY_LOCAL_MACHINE\\K", prefix + std::to_string(i), RegistryValue{REG_DWORD, {1, 0, 0, 0}});
    };
    std::thread ta(write, std::ref(a), "a"), tb(write, std::ref(b), "b");
    ta.join();
    tb.join();
    RegistryStore check(path);
    for (int i = 0; i < 50; ++i) {
        EXPECT_TRUE(check.value("HKEY_LOCAL_MACHINE\\K", "a" + std::to_string(i)));
        EXPECT_TRUE(check.value("HKEY_LOCAL_MACHINE\\K", "b" + std::to_string(i)));
    }
}

TEST(RegistryCalls, CreateOpenSetQueryFollowWindowsResults) {
    wdtest::TempDir dir;
    ProcessStore scope(dir.file("registry"));
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\T", 0, KEY_ALL_ACCESS, &key), ERROR_FILE_NOT_FOUND);
    DWORD disposition = 0;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\T", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
    HKEY again = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\T", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &again, &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);
    EXPECT_NE(key, again) << "handles are never shared or reused";

    const BYTE data[] = "hello";
    ASSERT_EQ(RegSetValueExA(key, "Greeting", 0, REG_SZ, data, sizeof data), ERROR_SUCCESS);
    DWORD type = 0, size = 3;
    BYTE small[3] = {9, 9, 9};
    EXPECT_EQ(RegQueryValueExA(again, "Greeting", nullptr, &type, small, &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, sizeof data);
    EXPECT_EQ(small[0], 9) << "a short buffer is left alone";
    BYTE big[16] = {};
    size = sizeof big;
    EXPECT_EQ(RegQueryValueExA(again, "Greeting", nullptr, &type, big, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_SZ);
    EXPECT_STREQ(reinterpret_cast<char*>(big), "hello");

    EXPECT_EQ(RegSetValueExA(HKEY_LOCAL_MACHINE, "x", 0, REG_SZ, data, sizeof data), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegSetValueExA(key, "Greeting", 0, REG_SZ, data, sizeof data), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegCloseKey(again), ERROR_SUCCESS);
}

TEST(RegistryKey, ReadsBackWhatItWrote) {
    wdtest::TempDir dir;
    ProcessStore scope(dir.file("registry"));
    RegistryKey key(HKEY_LOCAL_MACHINE);
    ASSERT_EQ(key.createKey("SOFTWARE\\Quillmark\\SoundLoom\\MP3Format"), 1);
    EXPECT_EQ(key.setDword("Bitrate", 320), 1);
    EXPECT_EQ(key.setString("Folder", "/data/blocks"), 1);
    uint32_t dword = 0;
    std::string textValue;
    EXPECT_EQ(key.getDword("Bitrate", dword), 1);
    EXPECT_EQ(dword, 320u);
    EXPECT_EQ(key.getString("Folder", textValue), 1);
    EXPECT_EQ(textValue, "/data/blocks");

    RegistryKey reopened(HKEY_LOCAL_MACHINE);
    ASSERT_EQ(reopened.openKey("SOFTWARE\\Quillmark\\SoundLoom\\MP3Format"), 1);
    EXPECT_EQ(reopened.getDword("Bitrate", dword), 1);
    EXPECT_EQ(dword, 320u);
}

TEST(RegistryKey, FailedReadsLeaveTheOutputAlone) {
    wdtest::TempDir dir;
    ProcessStore scope(dir.file("registry"));
    RegistryKey key(HKEY_LOCAL_MACHINE);
    ASSERT_EQ(key.createKey("SOFTWARE\\K"), 1);
    ASSERT_EQ(key.setString("Long", "more than four bytes"), 1);
    uint32_t dword = 77;
    EXPECT_EQ(key.getDword("Long", dword), 0) << "a value wider than a DWORD is not read as one";
    EXPECT_EQ(key.getDword("Missing", dword), 0);
    EXPECT_EQ(dword, 77u);
    std::string textValue = "kept";
    EXPECT_EQ(key.getString("Missing", textValue), 0);
    EXPECT_EQ(textValue, "kept");
}

TEST(RegistryKey, WithoutAKeyItHoldsTheRootAndEveryAccessFails) {
    wdtest::TempDir dir;
    ASSERT_TRUE(wdtest::writeFile(dir.file("plain"), "x"));
    ProcessStore scope(dir.file("plain/registry"));
    RegistryKey key(HKEY_LOCAL_MACHINE);
    EXPECT_EQ(key.createKey("SOFTWARE\\K"), 0);
    EXPECT_EQ(key.openKey("SOFTWARE\\K"), 0);
    EXPECT_EQ(key.setDword("Bitrate", 1), 0);
    uint32_t dword = 5;
    EXPECT_EQ(key.getDword("Bitrate", dword), 0);
    EXPECT_EQ(dword, 5u);
}

}  // namespace
