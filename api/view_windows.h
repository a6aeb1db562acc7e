// The library's two view windows that undo and redo must redraw.
#pragma once

#include <atomic>

#include "wavedeck_types.h"

namespace wd {

/**
 * The handles of the track window and the ruler window, so that code outside the window
 * classes (the undo and redo exports) can have them redrawn. The window classes set a
 * handle when they make their window and clear it when it is destroyed; until then the
 * handle is null and nothing is invalidated. Any thread.
 */
class ViewWindows {
public:
    enum class View : int { Track = 0, Ruler = 1 };

    static ViewWindows& instance();

    void setWindow(View view, HWND window);
    HWND window(View view) const;
    /** Invalidates the whole client area (with erase) of the view's window, when it has one. */
    void invalidate(View view) const;

private:
    ViewWindows() = default;

    std::atomic<HWND> windows_[2] = {};
};

}  // namespace wd
