// Opening and saving files through the exports, with a test window standing in for the
// library's main window; tracks left behind are removed at the end.
#pragma once

#include <string>
#include <vector>

#include "support/test_host.h"

namespace wd {
class Track;
}

namespace wdtest {

class FileSession {
public:
    FileSession();
    /** Stops a running open or save and removes every track. */
    ~FileSession();
    FileSession(const FileSession&) = delete;
    FileSession& operator=(const FileSession&) = delete;

    /** Opens path and waits for its end; the new track (made current) on success, else null. */
    wd::Track* open(const std::string& path);
    /** Saves the current track (or its selection) as the output type and waits for the end;
     * true when both the main and the progress window were told it was saved. */
    bool save(const std::string& path, int type, bool selection = false);

    /** One channel's samples. */
    static std::vector<float> samplesOf(const wd::Track& track, int channel);
    /** A new current track of one or two channels holding the interleaved samples. */
    static wd::Track* makeTrack(const std::vector<float>& interleaved, int channels, int rate);

    TestHost host;
    HWND main = nullptr;
    HWND progress = nullptr;
};

}  // namespace wdtest
