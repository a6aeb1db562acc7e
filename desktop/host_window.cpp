#include "host_window.h"

namespace desktop {

namespace {
constexpr const char* kClassName = "WaveDeckDesktopHost";

void registerClass() {
    static const bool registered = [] {
        WNDCLASSA c{};
        c.lpfnWndProc = &DefWindowProcA;
        c.lpszClassName = kClassName;
        return RegisterClassA(&c) != 0;
    }();
    (void)registered;
}
}  // namespace

HostWindow::HostWindow(Handler handler, bool visible, int x, int y, int width, int height) : handler_(std::move(handler)) {
    registerClass();
    window_ = CreateWindowExA(0, kClassName, "wavedeck-gui", WS_OVERLAPPED, x, y, width, height, nullptr, nullptr, nullptr, nullptr);
    // Messages of the creation itself went to DefWindowProcA; from here on this object
    // answers.
    SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<intptr_t>(this));
    SetWindowLongPtrA(window_, GWLP_WNDPROC, reinterpret_cast<intptr_t>(&HostWindow::windowProc));
    if (visible) ShowWindow(window_, SW_SHOW);
}

HostWindow::~HostWindow() {
    if (IsWindow(window_)) {
        SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
        DestroyWindow(window_);
    }
}

LRESULT CALLBACK HostWindow::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<HostWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (self && self->handler_) {
        if (auto result = self->handler_(message, wParam, lParam)) return *result;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace desktop
