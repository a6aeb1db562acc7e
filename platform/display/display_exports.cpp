// The display's own exports: capture a window as PNG or pixels, watch its pixels, inject
// mouse and wheel input, and name the backend.
#include <algorithm>

#include "platform/display/display.h"
#include "platform/display/png_file.h"
#include "platform/window/window_system.h"
#include "wavedeck_win.h"

using wd::display::Display;

int WDXCaptureWindowPng(HWND window, const char* path) {
    if (!path) return 0;
    wd::gdi::Surface image(0, 0);
    if (!Display::current().capture(window, image)) return 0;
    return wd::display::writePng(image, path) ? 1 : 0;
}

int WDXCaptureWindowPixels(HWND window, DWORD* pixels, int width, int height) {
    if (!pixels) return 0;
    wd::gdi::Surface image(0, 0);
    if (!Display::current().capture(window, image)) return 0;
    if (image.width() != width || image.height() != height) return 0;
    for (int y = 0; y < height; ++y) std::copy_n(image.row(y), width, pixels + static_cast<size_t>(y) * static_cast<size_t>(width));
    return 1;
}

int WDXInjectMouse(UINT message, int screenX, int screenY) {
    return Display::current().injectMouse(message, screenX, screenY) ? 1 : 0;
}

int WDXInjectMouseWheel(UINT message, int delta, int screenX, int screenY) {
    return Display::current().injectWheel(message, delta, screenX, screenY) ? 1 : 0;
}

int WDXWatchWindowPixels(HWND window, HWND notify, UINT message) {
    return wd::window::WindowSystem::instance().watchPixels(window, notify, message) ? 1 : 0;
}

const char* WDXGetDisplayName(void) { return Display::current().name(); }
