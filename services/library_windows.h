// The handles of the library's own windows, for code that must reach them without knowing their classes.
#pragma once

#include <atomic>

#include "wavedeck_types.h"

namespace wd {

/**
 * The main window (where workers post their end messages), the track window and the ruler
 * window (which edits and undo redraw). Each window class sets its handle when it makes
 * its window and clears it when the window is destroyed; until then the handle is null,
 * posts to it are lost and nothing is invalidated. Any thread.
 */
class LibraryWindows {
public:
    enum class Which : int { Main = 0, Track, Ruler };

    static LibraryWindows& instance();

    void setWindow(Which which, HWND window);
    /** Clears the handle only while it is still `window` (a newer window keeps its place). */
    void clearWindow(Which which, HWND window);
    HWND window(Which which) const;
    /** Invalidates the whole client area (with erase) of the window, when there is one. */
    void invalidate(Which which) const;

private:
    LibraryWindows() = default;

    static constexpr int kWindows = 3;
    std::atomic<HWND> windows_[kWindows] = {};
};

}  // namespace wd
