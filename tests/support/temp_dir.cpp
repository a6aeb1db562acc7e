#include "support/temp_dir.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <vector>

namespace wdtest {

TempDir::TempDir() {
    std::filesystem::path base = std::filesystem::temp_directory_path();
    if (const char* home = std::getenv("WAVEDECK_TEST_HOME"); home && *home) {
        std::filesystem::create_directories(home);
        // Absolute in this system's terms: a drive letter on Windows.
        base = std::filesystem::absolute(home);
    }
    // create_directory fails on a name that exists, so a name is never shared.
    std::random_device seed;
    std::mt19937_64 random(static_cast<uint64_t>(seed()) << 32 ^ seed());
    for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
        const std::filesystem::path candidate = base / ("tmp." + std::to_string(random() % 1000000000));
        std::error_code failed;
        if (std::filesystem::create_directory(candidate, failed)) path_ = candidate.generic_string();
    }
}

TempDir::~TempDir() {
    if (path_.empty()) return;
    std::error_code ignored;
    // Tests may leave folders without write permission behind; give them back first.
    for (auto it = std::filesystem::recursive_directory_iterator(path_, ignored);
         it != std::filesystem::recursive_directory_iterator(); it.increment(ignored)) {
        std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
    }
    std::filesystem::remove_all(path_, ignored);
}

bool writeFile(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    return static_cast<bool>(out);
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace wdtest
