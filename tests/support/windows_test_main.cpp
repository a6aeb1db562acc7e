// The test programs' entry point on Windows. Each test process gets a registry of its own,
// as each gets a registry file on Linux: HKEY_LOCAL_MACHINE is redirected, for this process
// only, to a fresh key under HKEY_CURRENT_USER named after the test's home folder, so the
// library reads and writes its settings through the real registry functions without
// touching the machine's settings or those another test left.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

// One key per test, named after the test's home folder (or the process without one).
std::string isolatedKeyName() {
    std::string name = std::to_string(GetCurrentProcessId());
    if (const char* home = std::getenv("WAVEDECK_TEST_HOME"); home && *home) {
        name = home;
        const size_t slash = name.find_last_of("\\/");
        if (slash != std::string::npos) name.erase(0, slash + 1);
    }
    return "Software\\WaveDeck tests\\" + name;
}

bool isolateRegistry() {
    const std::string name = isolatedKeyName();
    RegDeleteTreeA(HKEY_CURRENT_USER, name.c_str());
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, name.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS) {
        return false;
    }
    const bool redirected = RegOverridePredefKey(HKEY_LOCAL_MACHINE, key) == ERROR_SUCCESS;
    RegCloseKey(key);
    return redirected;
}

}  // namespace

int main(int argc, char** argv) {
    if (!isolateRegistry()) {
        std::fprintf(stderr, "cannot give this test a registry of its own\n");
        return 2;
    }
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
