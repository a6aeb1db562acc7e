// One window of the window system: class, procedure, geometry, state, update region,
// scroll bar and backing store. Fields are read and changed only under the window
// system's lock; the backing store's pixels only on the window's own thread.
#pragma once

#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/gdi/surface.h"
#include "platform/window/scroll_bar.h"
#include "wavedeck_win.h"

namespace wd::window {

struct MessageQueue;

class Window {
public:
    HWND handle = nullptr;
    std::string className;
    UINT classStyle = 0;
    HBRUSH classBackground = nullptr;
    HINSTANCE instance = nullptr;
    WNDPROC proc = nullptr;
    MessageQueue* queue = nullptr;  // of the thread that created the window; never freed
    std::thread::id thread;

    HWND parent = nullptr;
    std::vector<HWND> children;  // creation order: later ones lie on top
    DWORD style = 0;
    std::string text;
    intptr_t userData = 0;

    /** Window rectangle in the parent's client coordinates (the screen for a top-level
     * window). */
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool visible = false;
    bool enabled = true;
    bool destroying = false;

    /** Update region (its bounding box) in client coordinates, and whether the
     * background must be erased before painting. */
    gdi::PixelRect update;
    bool erase = false;

    ScrollBar scrollBar;
    std::shared_ptr<gdi::Surface> surface;

    /** Who hears of changes to the composed pixels of this window (WDXWatchWindowPixels):
     * one pixelMessage to pixelNotify, then none until the window is captured again. */
    HWND pixelNotify = nullptr;
    UINT pixelMessage = 0;
    bool pixelPending = false;

    /** The client area within the window rectangle: inside the border, above the
     * scroll bar. */
    gdi::PixelRect clientInWindow() const {
        const int border = (style & WS_BORDER) ? 1 : 0;
        gdi::PixelRect r{border, border, width - border, height - border};
        if (scrollBar.visible()) r.bottom -= WD_SCROLLBAR_SIZE;
        if (r.right < r.left) r.right = r.left;
        if (r.bottom < r.top) r.bottom = r.top;
        return r;
    }
    gdi::PixelRect scrollBarInWindow() const {
        if (!scrollBar.visible()) return {};
        const gdi::PixelRect client = clientInWindow();
        return {client.left, client.bottom, client.right, std::min(client.bottom + WD_SCROLLBAR_SIZE, height)};
    }
    int clientWidth() const { return clientInWindow().width(); }
    int clientHeight() const { return clientInWindow().height(); }
    DWORD currentStyle() const {
        DWORD s = style & ~static_cast<DWORD>(WS_VISIBLE | WS_DISABLED | WS_HSCROLL);
        if (visible) s |= WS_VISIBLE;
        if (!enabled) s |= WS_DISABLED;
        if (scrollBar.visible()) s |= WS_HSCROLL;
        return s;
    }
};

}  // namespace wd::window
