// A host frame with the library's main window, and tracks made from sample vectors, for
// driving the editing exports and looking at what they change.
#pragma once

#include <string>
#include <vector>

#include "support/temp_dir.h"
#include "support/test_host.h"

namespace wd {
class Track;
}

namespace wdtest {

using Channels = std::vector<std::vector<float>>;

/** n distinct small values from first on, so that sums clip only where a test wants. */
std::vector<float> ramp(int n, float first, float step = 1e-4f);
/** Every channel's selection, and the selected flags when given. */
void select(wd::Track& track, int start, int length, std::vector<bool> flags = {});
/** Every channel's samples. */
Channels samples(const wd::Track& track);

class EditSession {
public:
    /** Block files in a folder of its own, a registered host window, the main window. */
    EditSession();
    /** Exits the program (the tracks and the clipboard go) and gives the folder back. */
    ~EditSession();

    /** A track holding the channels, taken over by the main window (history, current). */
    wd::Track* open(const Channels& channels, int sampleRate = 44100);
    /** Runs a clipboard export with the progress window and pumps until NotifyEditDone.
     * @returns the export's result, or -2 when the end did not come. */
    int run(int(WINAPI* exportCall)(HWND));
    /** The percentages posted with NotifyEditProgress since the last run. */
    std::vector<long> progress() const;
    /** Pumps; the notifications the registered host window got since the log was cleared. */
    std::vector<UINT> notifications();
    TestHost& host() { return host_; }

private:
    TestHost host_{700, 500};
    TempDir dir_;
    std::string previousFolder_;
    HWND notified_ = nullptr;
    HWND progress_ = nullptr;
    HWND main_ = nullptr;
};

}  // namespace wdtest
