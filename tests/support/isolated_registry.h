// The key that stands in for HKEY_LOCAL_MACHINE in a Windows test process.
#pragma once

#include <cstdlib>
#include <string>

#include <windows.h>

namespace wdtest {

/** Under HKEY_CURRENT_USER: one key per test, named after the test's home folder (or the
 * process when there is none). */
inline std::string isolatedRegistryKeyName() {
    std::string name = std::to_string(GetCurrentProcessId());
    if (const char* home = std::getenv("WAVEDECK_TEST_HOME"); home && *home) {
        name = home;
        const size_t slash = name.find_last_of("\\/");
        if (slash != std::string::npos) name.erase(0, slash + 1);
    }
    return "Software\\WaveDeck tests\\" + name;
}

}  // namespace wdtest
