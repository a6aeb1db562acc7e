#include "ui/time_window.h"

#include <string>

#include "ui/offscreen_canvas.h"
#include "ui/scoped_gdi_object.h"
#include "services/time_window_text.h"

namespace wd {

namespace {
constexpr COLORREF kGrey = 0xB3B3B3;  // 179, 179, 179
constexpr COLORREF kBlack = 0x000000;
constexpr COLORREF kWhite = 0xFFFFFF;
}  // namespace

TimeWindow& TimeWindow::instance() {
    static TimeWindow* object = new TimeWindow;
    return *object;
}

HWND TimeWindow::create(HWND parent, int x, int y, int width, int height) {
    if (!IsWindow(parent)) return nullptr;
    HWND window = CreateWindowExA(0, "wdtimewnd", "wdtimewindow", WS_CHILD, x, y, width, height, parent, nullptr,
                                  nullptr, nullptr);
    if (!window) return nullptr;
    window_ = window;
    TimeWindowText::instance().setWindow(window);
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);
    return window;
}

LRESULT CALLBACK TimeWindow::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    TimeWindow& self = instance();
    switch (message) {
        case WM_CREATE:
            self.window_ = window;
            break;
        case WM_DESTROY:
            if (self.window_.load() == window) {
                self.window_ = nullptr;
                TimeWindowText::instance().setWindow(nullptr);
            }
            break;
        case WM_PAINT:
            paint(window);
            return 0;
        default:
            break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void TimeWindow::paint(HWND window) {
    PAINTSTRUCT ps{};
    HDC dc = BeginPaint(window, &ps);
    RECT client{};
    GetClientRect(window, &client);
    const int w = client.right;
    const int h = client.bottom;
    {
        OffscreenCanvas canvas(dc, w, h);
        HDC mem = canvas.dc();
        HBRUSH grey = CreateSolidBrush(kGrey);
        FillRect(mem, &client, grey);
        DeleteObject(grey);
        {
            ScopedGdiObject pen(mem, CreatePen(PS_SOLID, 2, kBlack));
            MoveToEx(mem, 2, 0, nullptr);
            LineTo(mem, 2, h - 2);
            LineTo(mem, w, h - 2);
            MoveToEx(mem, w - 2, h - 2, nullptr);
            LineTo(mem, w - 2, 2);
            LineTo(mem, 0, 2);
        }
        ScopedGdiObject font(mem, CreateFontA(30, 15, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                              CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                                              "Arial"));
        SetTextColor(mem, kWhite);
        SetBkMode(mem, TRANSPARENT);
        const std::string text = TimeWindowText::instance().text();
        RECT box = client;
        DrawTextA(mem, text.c_str(), static_cast<int>(text.size()), &box, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        canvas.copyTo(dc, w, h);
    }
    EndPaint(window, &ps);
}

}  // namespace wd
