// The amplitude scale beside the track view, and the recording mixer's callback window.
#pragma once

#include <atomic>

#include "wavedeck_win.h"

namespace wd {

/**
 * One per process, made on first use. Its window (class "markwdclass") stands beside the
 * track window with the same height and draws " 1.0", " 0.0" and "-1.0" with ticks for
 * each channel band of the current track, at the client rows the track window hands over
 * on every resize (all 0 before the first one). It also receives the recording mixer's
 * control changes and passes them to the record-notify window.
 *
 * window() and invalidate() may be used from any thread; the rest belongs to the
 * window's thread.
 */
class RulerWindow {
public:
    static RulerWindow& instance();
    RulerWindow(const RulerWindow&) = delete;
    RulerWindow& operator=(const RulerWindow&) = delete;

    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    /** Makes the window (title "wdmarkname", WS_CHILD) in parent; not shown.
     * @returns the window, or null. */
    HWND create(HWND parent, int x, int y, int width, int height);
    HWND window() const { return window_.load(); }
    void invalidate() const;

    /** Rows (client coordinates) of a two-channel track's bands. */
    void setStereoRows(int top0, int bottom0, int top1, int bottom1);
    /** Rows of a one-channel track's band. */
    void setMonoRows(int top, int bottom);

private:
    RulerWindow() = default;

    void paint(HWND window) const;

    std::atomic<HWND> window_{nullptr};
    int stereoRows_[4] = {};
    int monoRows_[2] = {};
};

}  // namespace wd
