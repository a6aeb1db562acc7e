// A window of the desktop host's own in the library's window system: it receives the
// library's notifications, progress and time texts, or stands for a drawing area.
#pragma once

#include <functional>
#include <optional>

#include "wavedeck_win.h"

namespace desktop {

class HostWindow {
public:
    /** Handles a message; nullopt leaves it to DefWindowProcA. Runs on the UI thread. */
    using Handler = std::function<std::optional<LRESULT>(UINT message, WPARAM wParam, LPARAM lParam)>;

    /** A hidden top-level window (no parent), or a visible one at a screen place. */
    explicit HostWindow(Handler handler, bool visible = false, int x = 0, int y = 0, int width = 0, int height = 0);
    ~HostWindow();
    HostWindow(const HostWindow&) = delete;
    HostWindow& operator=(const HostWindow&) = delete;

    HWND handle() const { return window_; }

private:
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    Handler handler_;
    HWND window_ = nullptr;
};

}  // namespace desktop
