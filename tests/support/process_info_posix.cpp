#include "support/process_info.h"

#include <filesystem>
#include <iterator>

namespace wdtest {

std::optional<int> descriptorsOn(const std::string& path) {
    std::error_code missing;
    const auto wanted = std::filesystem::weakly_canonical(path, missing);
    int n = 0;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
        std::error_code ec;
        if (std::filesystem::read_symlink(entry.path(), ec) == wanted) ++n;
    }
    return n;
}

std::optional<long> threadCount() {
    const auto tasks = std::filesystem::directory_iterator("/proc/self/task");
    return std::distance(std::filesystem::begin(tasks), std::filesystem::end(tasks));
}

}  // namespace wdtest
