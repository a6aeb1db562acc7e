#include "services/library_windows.h"

#include "wavedeck_win.h"

namespace wd {

LibraryWindows& LibraryWindows::instance() {
    static LibraryWindows* windows = new LibraryWindows;
    return *windows;
}

void LibraryWindows::setWindow(Which which, HWND window) { windows_[static_cast<int>(which)].store(window); }

void LibraryWindows::clearWindow(Which which, HWND window) {
    HWND expected = window;
    windows_[static_cast<int>(which)].compare_exchange_strong(expected, nullptr);
}

HWND LibraryWindows::window(Which which) const { return windows_[static_cast<int>(which)].load(); }

void LibraryWindows::invalidate(Which which) const {
    if (HWND w = window(which)) InvalidateRect(w, nullptr, TRUE);
}

}  // namespace wd
