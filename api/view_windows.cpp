#include "api/view_windows.h"

#include "wavedeck_win.h"

namespace wd {

ViewWindows& ViewWindows::instance() {
    static ViewWindows* windows = new ViewWindows;
    return *windows;
}

void ViewWindows::setWindow(View view, HWND window) { windows_[static_cast<int>(view)].store(window); }

HWND ViewWindows::window(View view) const { return windows_[static_cast<int>(view)].load(); }

void ViewWindows::invalidate(View view) const {
    if (HWND w = window(view)) InvalidateRect(w, nullptr, TRUE);
}

}  // namespace wd
