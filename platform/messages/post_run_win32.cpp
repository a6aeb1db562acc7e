#include "platform/messages/post_run.h"

namespace wd {

// The system's queue takes posts one by one.
bool postMessageRun(HWND window, UINT message, WPARAM wParam, const LPARAM* lParams, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        if (!PostMessageA(window, message, wParam, lParams[i])) return false;
    }
    return true;
}

}  // namespace wd
