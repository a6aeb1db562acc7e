#include "screen.h"

#include <cstdint>
#include <vector>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>

namespace host {
namespace {

// The deepest visible, enabled window of the frame under a screen point, as the system
// routes a real click.
HWND windowAt(HWND frame, POINT screen) {
    HWND window = frame;
    for (;;) {
        POINT client = screen;
        ScreenToClient(window, &client);
        HWND child = ChildWindowFromPointEx(window, client, CWP_SKIPINVISIBLE | CWP_SKIPDISABLED | CWP_SKIPTRANSPARENT);
        if (!child || child == window) return window;
        window = child;
    }
}

// A button press captures the mouse: what follows goes to the capturing window.
void sendMouse(HWND frame, UINT message, WPARAM keys, POINT screen) {
    HWND target = GetCapture() ? GetCapture() : windowAt(frame, screen);
    POINT client = screen;
    ScreenToClient(target, &client);
    SendMessageA(target, message, keys, MAKELPARAM(client.x, client.y));
}

}  // namespace

HWND createFrame(const char* className, int width, int height) {
    // A popup has no border or caption, so its size is its client area. Shown, it stays on
    // top without taking the keyboard from the console, and has no task-bar button.
    return CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE | WS_EX_TOPMOST, className, "WaveDeck", WS_POPUP, 0, 0,
                           width, height, nullptr, nullptr, nullptr, nullptr);
}

int scrollBarHeight() { return GetSystemMetrics(SM_CYHSCROLL); }

void dragMouse(HWND frame, POINT from, POINT to) {
    sendMouse(frame, WM_LBUTTONDOWN, MK_LBUTTON, from);
    sendMouse(frame, WM_MOUSEMOVE, MK_LBUTTON, to);
    sendMouse(frame, WM_LBUTTONUP, 0, to);
}

bool writeSnapshot(HWND window, const std::string& path, std::string& why) {
    RECT placed;
    if (!GetWindowRect(window, &placed)) return false;
    const int width = placed.right - placed.left, height = placed.bottom - placed.top;
    // A window's pixels exist only where it is on the screen.
    RECT screen{GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN), 0, 0};
    screen.right = screen.left + GetSystemMetrics(SM_CXVIRTUALSCREEN);
    screen.bottom = screen.top + GetSystemMetrics(SM_CYVIRTUALSCREEN);
    if (placed.left < screen.left || placed.top < screen.top || placed.right > screen.right || placed.bottom > screen.bottom) {
        why = "the editor (" + std::to_string(width) + " x " + std::to_string(height) + ") does not fit on the screen (" +
              std::to_string(screen.right - screen.left) + " x " + std::to_string(screen.bottom - screen.top) +
              "): picture it at a smaller --scale";
        return false;
    }
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // rows top down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP picture = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!picture) return false;
    HDC memory = CreateCompatibleDC(nullptr);
    HGDIOBJ before = SelectObject(memory, picture);
    const bool hidden = !IsWindowVisible(window);
    if (hidden) ShowWindow(window, SW_SHOWNOACTIVATE);
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    HDC source = GetWindowDC(window);
    const bool copied = source && BitBlt(memory, 0, 0, width, height, source, 0, 0, SRCCOPY);
    if (source) ReleaseDC(window, source);
    GdiFlush();
    if (hidden) ShowWindow(window, SW_HIDE);
    // The section's pixels are blue, green, red, unused: PNG wants red, green, blue.
    std::vector<uint8_t> rgb(copied ? static_cast<size_t>(width) * height * 3 : 0);
    const auto* pixel = static_cast<const uint8_t*>(bits);
    for (size_t i = 0; i < rgb.size(); i += 3, pixel += 4) {
        rgb[i] = pixel[2];
        rgb[i + 1] = pixel[1];
        rgb[i + 2] = pixel[0];
    }
    SelectObject(memory, before);
    DeleteDC(memory);
    DeleteObject(picture);
    return copied && stbi_write_png(path.c_str(), width, height, 3, rgb.data(), width * 3) != 0;
}

}  // namespace host
