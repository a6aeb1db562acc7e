// A host for the effect tests: the library's main window in a test frame, tracks made from
// generated signals and taken over as if read from a file, and effects run through the
// exports with their messages waited for.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "support/temp_dir.h"
#include "support/test_host.h"
#include "wavedeck_win.h"

namespace wd {
class Track;
}

namespace wdtest {

/** A parameter block: words 0 to 3 floats, 4 to 7 ints, as the effects read them. */
struct EffectBlock {
    float f[4] = {0, 0, 0, 0};
    int32_t i[4] = {0, 0, 0, 0};
};

/** The messages one effect run sent to its progress window. */
struct EffectRun {
    std::vector<LPARAM> progress;  // lParam of each NotifyEffectProgress, in order
    bool ended = false;            // NotifyEffectDone arrived
    WPARAM doneWord = 0;           // its wParam: 1 done, 0 refused or failed
    int result = 0;                // what WDXDoEffect answered
};

class EffectSession {
public:
    EffectSession();
    ~EffectSession();
    EffectSession(const EffectSession&) = delete;
    EffectSession& operator=(const EffectSession&) = delete;

    TestHost& host() { return host_; }

    /** A track of frames samples per channel, signal(channel, frame), taken over by the main
     * window (a tab, an undo history) and current. */
    wd::Track* open(int channels, int frames, const std::function<float(int, int)>& signal, int rate = 44100);
    /** Sets every channel's selection; selected[c] is channel c's flag. */
    static void select(wd::Track* track, int start, int length, bool first = true, bool second = true);
    /** A whole channel's samples. */
    static std::vector<float> samples(const wd::Track* track, int channel);

    /** WDXDoEffect on the current track, then waits until the main window has taken the
     * effect's end (or, when it did not start, for nothing). */
    EffectRun apply(int id, const EffectBlock* block);

private:
    TestHost host_;
    TempDir dir_;
    std::string previousFolder_;
    HWND progress_ = nullptr;
    HWND main_ = nullptr;
};

/** sin at frequency Hz with a little deterministic noise, so no two samples repeat. */
float testSignal(double frequency, double amplitude, int frame, int rate = 44100);

/** The effects' usual input: a 441 Hz tone at 0.4 on every channel. */
inline float tone(int, int i) { return testSignal(441, 0.4, i); }

}  // namespace wdtest
