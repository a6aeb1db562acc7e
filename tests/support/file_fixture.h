// A fixture for tests of readers and writers: a test host whose window stands in for
// the library's main window, a progress window, and helpers that open and save through
// the exports and wait for the end messages. Links the engine (not for tests/exports).
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/temp_dir.h"
#include "support/test_host.h"

namespace wd {
class Track;
}

namespace wdtest {

class FileFixture : public ::testing::Test {
protected:
    void SetUp() override;
    /** Cancels what runs and closes every track. */
    void TearDown() override;

    /** Opens path and waits for the end on both windows; the new track (made current),
     * or null when the import failed (or did not end in time). */
    wd::Track* open(const std::string& path);
    /** Saves the current track, or its selection, as type and waits for the end on both
     * windows; true when it ended with 1445 and 1145. */
    bool save(const std::string& path, int type, bool selection = false);
    /** The samples of one channel of a track. */
    static std::vector<float> samplesOf(const wd::Track& track, int channel);
    /** Values of the messages msg the progress window received (lParam), in order. */
    std::vector<LPARAM> progress(UINT msg) const;

    TestHost host;
    HWND main = nullptr;
    HWND progressWindow = nullptr;
    int tracksBefore = 0;
    TempDir dir;
};

}  // namespace wdtest
