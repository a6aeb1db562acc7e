// Posting many messages of one kind at once.
#pragma once

#include <cstddef>

#include "wavedeck_win.h"

namespace wd {

/**
 * Posts message with wParam to window count times, the n-th time with lParams[n], as
 * count PostMessageA calls in a row would. Where the window system is the library's own,
 * they are queued together and wake the receiving thread once: a worker that reports
 * thousands of steps at memory speed does not wake the user-interface thread, nor fight
 * it for the queue, once per step. @returns false when a post failed (the window is gone).
 */
bool postMessageRun(HWND window, UINT message, WPARAM wParam, const LPARAM* lParams, size_t count);

}  // namespace wd
