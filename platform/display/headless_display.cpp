#include "platform/display/headless_display.h"

#include "platform/display/compositor.h"
#include "platform/window/window_system.h"

namespace wd::display {

bool HeadlessDisplay::capture(HWND window, gdi::Surface& out) {
    auto node = window::WindowSystem::instance().tree(window);
    if (!node) return false;
    out = compose(*node);
    return true;
}

bool HeadlessDisplay::injectMouse(UINT message, int screenX, int screenY) {
    return window::WindowSystem::instance().injectMouse(message, screenX, screenY);
}

bool HeadlessDisplay::injectWheel(UINT message, int delta, int screenX, int screenY) {
    return window::WindowSystem::instance().injectWheel(message, delta, screenX, screenY);
}

}  // namespace wd::display
