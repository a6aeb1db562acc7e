// A folder of its own for one test, removed with everything in it at the end.
#pragma once

#include <string>

namespace wdtest {

class TempDir {
public:
    /** Made inside $WAVEDECK_TEST_HOME (set by CTest), else inside the system's temporary folder. */
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

/** Writes text to path, replacing it; false on failure. */
bool writeFile(const std::string& path, const std::string& text);
/** The whole file, or an empty text when it cannot be read. */
std::string readFile(const std::string& path);
/** Makes a FIFO at path; false where the system has none (Windows). */
bool makeFifo(const std::string& path);

}  // namespace wdtest
