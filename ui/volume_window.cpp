#include "ui/volume_window.h"

#include <algorithm>
#include <cstdint>

#include "audio/player.h"
#include "services/module.h"

namespace wd {
namespace {

int smooth(int newValue, int value) { return static_cast<int>(newValue * 0.1 + value * 0.9); }

/** Bar length in pixels for a value on a bar of `span` pixels (truncated toward zero). */
int barLength(int value, int span) {
    return static_cast<int>(static_cast<int64_t>(value) * span / VolumeWindow::kFullScale);
}

void fill(HDC dc, int left, int top, int right, int bottom, HBRUSH brush) {
    RECT rect{left, top, right, bottom};
    FillRect(dc, &rect, brush);
}

}  // namespace

VolumeWindow& VolumeWindow::instance() {
    static auto* window = [] {
        auto* made = new VolumeWindow;
        Player::instance().setLevelListener(made);
        return made;
    }();
    return *window;
}

void VolumeWindow::levelsMeasured(const LevelRecord& level) {
    setLevels(level.peakLeft, level.meanLeft, level.peakRight, level.meanRight);
}

HWND VolumeWindow::create(HWND parent, int x, int y, int width, int height) {
    HWND window = CreateWindowExA(0, "WdVolueme", "volume", WS_CHILD, x, y, width, height, parent, nullptr,
                                  reinterpret_cast<HINSTANCE>(moduleHandle()), nullptr);
    window_.store(window);
    UpdateWindow(window);
    ShowWindow(window, SW_SHOWNORMAL);
    return window;
}

void VolumeWindow::setLevels(int peakLeft, int meanLeft, int peakRight, int meanRight) {
    {
        std::lock_guard lock(mutex_);
        levels_.peakLeft = smooth(peakLeft, levels_.peakLeft);
        levels_.meanLeft = smooth(meanLeft, levels_.meanLeft);
        levels_.peakRight = smooth(peakRight, levels_.peakRight);
        levels_.meanRight = smooth(meanRight, levels_.meanRight);
    }
    if (HWND window = window_.load()) InvalidateRect(window, nullptr, TRUE);
}

VolumeWindow::Levels VolumeWindow::levels() const {
    std::lock_guard lock(mutex_);
    return levels_;
}

LRESULT CALLBACK VolumeWindow::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT:
            instance().paint(window);
            return 0;
        case WM_ERASEBKGND: return 1;
        default: return DefWindowProcA(window, message, wParam, lParam);
    }
}

void VolumeWindow::paint(HWND window) {
    Levels shown;
    {
        // The peaks are limited to full scale where they are stored, too.
        std::lock_guard lock(mutex_);
        levels_.peakLeft = std::min(levels_.peakLeft, kFullScale);
        levels_.peakRight = std::min(levels_.peakRight, kFullScale);
        shown = levels_;
    }
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    RECT client{};
    GetClientRect(window, &client);
    const int w = client.right - client.left;
    const int h = client.bottom - client.top;
    HDC memory = CreateCompatibleDC(dc);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, w, h);
    HGDIOBJ oldBitmap = SelectObject(memory, bitmap);

    HBRUSH black = CreateSolidBrush(RGB(0, 0, 0));
    HBRUSH green = CreateSolidBrush(RGB(0, 255, 0));
    HBRUSH yellow = CreateSolidBrush(RGB(255, 255, 0));
    fill(memory, 0, 0, w, h, black);
    const int span = w - 2;
    const int half = (h - 4) >> 1;
    fill(memory, 1, 1, barLength(shown.peakLeft, span), half, green);
    fill(memory, 1, half + 2, barLength(shown.peakRight, span), h - 1, green);
    fill(memory, 1, 1, barLength(shown.meanLeft, span), half, yellow);
    fill(memory, 1, half + 2, barLength(shown.meanRight, span), h - 1, yellow);
    BitBlt(dc, 0, 0, w, h, memory, 0, 0, SRCCOPY);

    DeleteObject(black);
    DeleteObject(green);
    DeleteObject(yellow);
    SelectObject(memory, oldBitmap);
    DeleteObject(bitmap);
    DeleteDC(memory);
    EndPaint(window, &ps);
}

}  // namespace wd
