// The host's windows that learn about changes: the registered list and the record-notify window.
#pragma once

#include <mutex>
#include <vector>

#include "wavedeck_types.h"

namespace wd {

/**
 * The windows the host registered with WDXRegisterMainWnd (each once, only while it is a
 * valid window, in the order of registration) and the one it gave WDXRegNotifyRecHWND (any
 * handle, kept as given). The main window object keeps these for the process; it reaches
 * them through instance(). Locked: workers may broadcast while the user-interface thread
 * registers.
 */
class HostWindows {
public:
    static HostWindows& instance();
    /** A list of its own (tests); the library uses instance(). */
    HostWindows() = default;
    HostWindows(const HostWindows&) = delete;
    HostWindows& operator=(const HostWindows&) = delete;

    /** Adds window unless IsWindow denies it or it is in the list already.
     * @returns true when it was added. */
    bool add(HWND window);
    /** The registered windows, in registration order. */
    std::vector<HWND> windows() const;
    /** The first registered window, or null. */
    HWND first() const;

    /** Posts the message once to every registered window, in registration order; nothing
     * when none is registered. */
    void broadcast(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;

    void setRecordNotifyWindow(HWND window);
    HWND recordNotifyWindow() const;

private:
    mutable std::mutex mutex_;
    std::vector<HWND> windows_;
    HWND recordNotify_ = nullptr;
};

}  // namespace wd
