// What this process holds open, for tests that a file or a thread is let go of.
#pragma once

#include <optional>
#include <string>

namespace wdtest {

/** Descriptors of this process open on path; nothing where the system does not list
 * a process's open files by name (Windows). */
std::optional<int> descriptorsOn(const std::string& path);
/** The threads this process runs; nothing where they are not counted here (Windows). */
std::optional<long> threadCount();

}  // namespace wdtest
