#include "services/host_windows.h"

#include <algorithm>

#include "wavedeck_win.h"

namespace wd {

HostWindows& HostWindows::instance() {
    static HostWindows* windows = new HostWindows;
    return *windows;
}

bool HostWindows::add(HWND window) {
    if (!IsWindow(window)) return false;
    std::lock_guard lock(mutex_);
    if (std::find(windows_.begin(), windows_.end(), window) != windows_.end()) return false;
    windows_.push_back(window);
    return true;
}

std::vector<HWND> HostWindows::windows() const {
    std::lock_guard lock(mutex_);
    return windows_;
}

HWND HostWindows::first() const {
    std::lock_guard lock(mutex_);
    return windows_.empty() ? nullptr : windows_.front();
}

void HostWindows::broadcast(UINT message, WPARAM wParam, LPARAM lParam) const {
    // Posted outside the lock: posting never waits, but the list must not be held while
    // another thread registers.
    for (HWND window : windows()) PostMessageA(window, message, wParam, lParam);
}

void HostWindows::setRecordNotifyWindow(HWND window) {
    std::lock_guard lock(mutex_);
    recordNotify_ = window;
}

HWND HostWindows::recordNotifyWindow() const {
    std::lock_guard lock(mutex_);
    return recordNotify_;
}

}  // namespace wd
