// The large time display: the cursor or selection start, or the play position.
#pragma once

#include <atomic>

#include "wavedeck_win.h"

namespace wd {

/**
 * One per process, made on first use. Its window (class "wdtimewnd") shows the text of
 * TimeWindowText ("00:00.000" until the first report) centred in large type on grey with
 * a sunken black frame. Tracks set the text through TimeWindowText, which invalidates
 * this window; paint runs on the window's thread.
 */
class TimeWindow {
public:
    static TimeWindow& instance();
    TimeWindow(const TimeWindow&) = delete;
    TimeWindow& operator=(const TimeWindow&) = delete;

    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    /** Makes the window (title "wdtimewindow", WS_CHILD) in parent, shows and updates it.
     * @returns the window; null when parent is not a window or creation fails. */
    HWND create(HWND parent, int x, int y, int width, int height);
    HWND window() const { return window_.load(); }

private:
    TimeWindow() = default;

    static void paint(HWND window);

    std::atomic<HWND> window_{nullptr};
};

}  // namespace wd
