#include "screen.h"

namespace host {

HWND createFrame(const char* className, int width, int height) {
    // On the headless display a window has no border or caption: its size is its client.
    return CreateWindowExA(0, className, "WaveDeck", WS_OVERLAPPED | WS_VISIBLE, 0, 0, width, height, nullptr, nullptr,
                           nullptr, nullptr);
}

int scrollBarHeight() { return WD_SCROLLBAR_SIZE; }

void dragMouse(HWND, POINT from, POINT to) {
    WDXInjectMouse(WM_LBUTTONDOWN, from.x, from.y);
    WDXInjectMouse(WM_MOUSEMOVE, to.x, to.y);
    WDXInjectMouse(WM_LBUTTONUP, to.x, to.y);
}

bool writeSnapshot(HWND window, const std::string& path, std::string&) {
    return WDXCaptureWindowPng(window, path.c_str()) != 0;
}

}  // namespace host
