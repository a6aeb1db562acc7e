// A host frame with the library's main window and tracks made from sample vectors, for
// driving the editing exports and looking at the tracks they change.
#pragma once

#include <string>
#include <vector>

#include "support/temp_dir.h"
#include "support/test_host.h"
#include "wavedeck_win.h"

namespace wd {
class Track;
}

namespace wdtest {

using Channels = std::vector<std::vector<float>>;

class EditSession {
public:
    /** Block files in a folder of the session's own; one registered host window. */
    EditSession();
    /** WDXExitProgram, then the folder given back. */
    ~EditSession();
    EditSession(const EditSession&) = delete;
    EditSession& operator=(const EditSession&) = delete;

    /** A track holding the channels, taken over by the main window (history, current). */
    wd::Track* open(const Channels& channels, int sampleRate = 44100);
    /** Sets every channel's selection, and the selected flags when given. */
    static void select(wd::Track& track, int start, int length, std::vector<bool> flags = {});
    /** Every channel's samples. */
    static Channels samples(const wd::Track& track);

    /** Clears the log, runs a clipboard export with the progress window and pumps until
     * NotifyEditDone. @returns the export's result (-2 when the end did not come). */
    template <typename Export>
    int run(Export exportCall) {
        host_.clearLog();
        const int result = exportCall(progress_);
        if (result != 0) return result;
        return host_.waitForMessage(progress_, 1134, std::chrono::seconds(30)) ? 0 : -2;
    }
    /** The percentages of the NotifyEditProgress messages since the last run. */
    std::vector<long> progress() const;
    /** Pumps; the notifications (>= WM_USER) the registered host window got since the last clear. */
    std::vector<UINT> notifications();
    TestHost& host() { return host_; }
    const std::string& folder() const { return dir_.path(); }

private:
    TestHost host_;
    TempDir dir_;
    std::string previousFolder_;
    HWND notified_ = nullptr;
    HWND progress_ = nullptr;
    HWND main_ = nullptr;
};

}  // namespace wdtest
