// The waveform view of the current track: painting, scrolling, zooming and mouse selection.
#pragma once

#include <atomic>

#include "wavedeck_win.h"

namespace wd {

class Track;

/**
 * One per process, made on first use and never destroyed. Its window (class
 * "trackwndclass") always shows the current track of the TrackList on the fixed
 * 565 x 330 logical canvas, stretched over the client area. All hit-testing works in
 * canvas coordinates. Mouse results are posted to the registered host windows
 * (NotifySelectionChanged on release, NotifyTrackContextMenu on a right click).
 *
 * window() may be read from any thread (other code invalidates it); everything else
 * runs on the window's thread.
 */
class TrackWindow {
public:
    static constexpr int kLogicalWidth = 565;
    static constexpr int kLogicalHeight = 330;
    /** Scroll ranges stop at this many units; wider tracks scale their positions. */
    static constexpr int kMaxScrollUnits = 65536;

    static TrackWindow& instance();
    TrackWindow(const TrackWindow&) = delete;
    TrackWindow& operator=(const TrackWindow&) = delete;

    /** The class's window procedure. */
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    /** Makes the window (title "mywindow", WS_CHILD | WS_HSCROLL) in parent, keeps its
     * scroll bar visible when disabled and sets it from the current track. Not shown.
     * @returns the window, or null. */
    HWND create(HWND parent, int x, int y, int width, int height);
    HWND window() const { return window_.load(); }

    /** Sets the scroll bar from the current track's view: disabled without a track or
     * when the whole track fits; otherwise range, page and position (scaled down for
     * tracks wider than kMaxScrollUnits columns). */
    void updateScrollBar();
    /** Doubles the zoom (keeping the view's centre) unless that would go below one
     * sample per column. Nothing without a current track. @returns 0. */
    int zoomIn();
    /** Halves the zoom (not below factor 1). @returns 0. */
    int zoomOut();
    /** Back to the whole track in one view. @returns 0. */
    int zoomFit();
    /** Invalidates the whole client area (with erase). */
    void invalidate() const;

    /** Canvas x of the play position line, drawn while the Player plays; written by the
     * main window as the play progresses. */
    int playColumn() const { return playColumn_; }
    void setPlayColumn(int column) { playColumn_ = column; }

    /** A client point (each coordinate a signed 16-bit value) on the canvas: rounded
     * to the nearest canvas pixel, truncated toward zero. A client area with a zero
     * side maps everything to 0. */
    static POINT toCanvas(int x, int y, int clientWidth, int clientHeight);
    /** The quarter of the canvas (1 top .. 4 bottom) that a canvas row lies in. */
    static int bandOf(int canvasY);

    /** Observed state (for the main window and tests). */
    bool dragging() const { return dragging_; }
    int band() const { return band_; }
    int scrollPosition() const { return scrollPosition_; }
    float scrollScale() const { return scrollScale_; }

private:
    TrackWindow() = default;

    void paint(HWND window);
    void resize(int clientWidth, int clientHeight);
    void scroll(HWND window, WPARAM wParam);
    void press(HWND window, LPARAM lParam);
    void drag(HWND window, LPARAM lParam);
    POINT canvasPoint(HWND window, LPARAM lParam) const;
    /** A sample under canvas column x, kept within 0 .. the track's length. */
    static int sampleAt(const Track& track, int canvasX);
    static void selectByBand(Track& track, int band);
    static void shiftColumns(Track& track, int columns);

    std::atomic<HWND> window_{nullptr};
    bool dragging_ = false;
    int band_ = 5;
    int anchor_ = 0;
    int scrollPosition_ = 0;
    float scrollScale_ = 1.0f;
    int playColumn_ = 0;
};

}  // namespace wd
