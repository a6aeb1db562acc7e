// A test session of the editor's windows: a host frame with the main window (or single
// library windows), tracks made in memory from generated signals and taken over through
// the main window's message, and pixel helpers for probing captures.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "support/temp_dir.h"
#include "support/test_host.h"
#include "wavedeck_win.h"

namespace wd {
class Track;
}

namespace wdtest {

/** The main window size at which the track view's client area is exactly its 565 x 330
 * canvas (ruler 40 pixels, tabs 30, scroll bar scrollBarHeight()). */
constexpr int kMainWidth = 565 + 40;
inline const int kMainHeight = 330 + 30 + wdtest::scrollBarHeight();

/** Sample value of frame i of one channel (i counts from 0). */
using SignalFunction = std::function<float(int channel, int64_t frame)>;

/** A sine of the given frequency and amplitude, the right channel at half the frequency. */
SignalFunction sineSignal(double frequency, double amplitude, int sampleRate = 44100);

class UiSession {
public:
    /** A host frame of frameWidth x frameHeight with one registered host window (for the
     * library's notifications), block files in a folder of its own. No library window yet. */
    explicit UiSession(int frameWidth = 800, int frameHeight = 600);
    /** Closes every track, destroys the windows and restores the temporary folder. */
    ~UiSession();
    UiSession(const UiSession&) = delete;
    UiSession& operator=(const UiSession&) = delete;

    TestHost& host() { return host_; }
    HWND frame() const { return host_.frame(); }
    /** The registered host window that receives the library's notifications. */
    HWND notified() const { return notified_; }

    /** WDXCreateTrackMainWnd in the frame at (0, 0). */
    HWND createMain(int width = kMainWidth, int height = kMainHeight);
    HWND main() const { return main_; }

    /** A track in the TrackList (not current, no tab) of `frames` samples per channel. */
    wd::Track* makeTrack(const std::string& name, int channels, int64_t frames, const SignalFunction& signal,
                         int sampleRate = 44100);
    /** Posts MsgImportComplete for the track to the main window and pumps until it is the
     * current track. */
    bool open(wd::Track* track);

    /** The notification numbers (>= WM_USER) the registered host window received, in order. */
    std::vector<UINT> notifications() const;

    /** Pumps, then captures the window with its visible children. */
    Image capture(HWND window) { return host_.capture(window); }

private:
    TestHost host_;
    TempDir dir_;
    std::string previousFolder_;
    HWND notified_ = nullptr;
    HWND main_ = nullptr;
};

/** Pixel (r, g, b) as the captures hold it. */
constexpr uint32_t rgb(int r, int g, int b) { return rgbPixel(r, g, b); }

/** The bounding box of the pixels inside `area` for which `match` holds; empty (all 0)
 * when none does. */
RECT boundingBox(const Image& image, const RECT& area, const std::function<bool(uint32_t)>& match);
/** The pixels of one of the library's bitmap resources (empty when there is none). */
Image bitmapResource(int id);

/** How many pixels of `area` have exactly this colour. */
int countColour(const Image& image, const RECT& area, uint32_t colour);

}  // namespace wdtest
