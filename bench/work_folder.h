// The work folder of a benchmark program and settings of its own.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "services/settings.h"

namespace wdbench {

/**
 * Makes the work folder and gives the program settings of its own there, so a benchmark
 * never touches the user's: the library reads its settings before main, so the first call
 * runs the program again with a registry file and cache in the work folder (and returns
 * only when that fails); the second makes the work folder the temporary folder.
 * @returns false when the program could not be run again.
 */
inline bool useWorkFolder(const std::string& work, char** argv) {
    std::filesystem::create_directories(work);
    if (!std::getenv("WAVEDECK_REGISTRY")) {
        setenv("WAVEDECK_REGISTRY", (work + "/registry").c_str(), 1);
        setenv("XDG_CACHE_HOME", (work + "/cache").c_str(), 1);
        execv("/proc/self/exe", argv);
        std::perror("execv");
        return false;
    }
    wd::Settings::instance().setTempFolder(work.c_str());
    return true;
}

}  // namespace wdbench
