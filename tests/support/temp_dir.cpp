#include "support/temp_dir.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

namespace wdtest {

TempDir::TempDir() {
    std::string base = "/tmp";
    if (const char* home = std::getenv("WAVEDECK_TEST_HOME"); home && *home) {
        std::filesystem::create_directories(home);
        base = home;
    }
    std::string pattern = base + "/tmp.XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back(0);
    if (::mkdtemp(name.data())) path_ = name.data();
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
