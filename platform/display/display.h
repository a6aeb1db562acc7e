// The display backend: what shows windows and brings mouse input. The headless backend
// (always built, the default) keeps windows in memory, composes any window with its
// visible children on request and takes injected input; a visible backend would show
// top-level windows on a desktop. WAVEDECK_DISPLAY names the backend.
#pragma once

#include "platform/gdi/surface.h"
#include "wavedeck_win.h"

namespace wd::display {

class Display {
public:
    virtual ~Display() = default;

    /** The backend's name, as WAVEDECK_DISPLAY gives it. */
    virtual const char* name() const = 0;
    /** Composes the window (window size) with its visible children; false for a window
     * that does not exist. Call on the window's thread. */
    virtual bool capture(HWND window, gdi::Surface& out) = 0;
    /** Queues mouse input at a screen point (see WDXInjectMouse). */
    virtual bool injectMouse(UINT message, int screenX, int screenY) = 0;
    /** Queues a wheel turn at a screen point (see WDXInjectMouseWheel). */
    virtual bool injectWheel(UINT message, int delta, int screenX, int screenY) = 0;

    /** The backend chosen by WAVEDECK_DISPLAY on first use: "headless" (also for an
     * unset or unknown name, which is reported once on stderr). */
    static Display& current();
};

}  // namespace wd::display
