#include "platform/messages/post_run.h"

#include "platform/window/window_system.h"

namespace wd {

bool postMessageRun(HWND window, UINT message, WPARAM wParam, const LPARAM* lParams, size_t count) {
    return window::WindowSystem::instance().postRun(window, message, wParam, lParams, count);
}

}  // namespace wd
