#include "ui/ruler_window.h"

#include <vector>

#include "services/host_windows.h"
#include "services/library_windows.h"
#include "model/track_list.h"
#include "platform/audio/winmm.h"
#include "ui/offscreen_canvas.h"
#include "ui/scoped_gdi_object.h"
#include "wavedeck_messages.h"

namespace wd {

namespace {

constexpr COLORREF kGrey = 0xB3B3B3;  // 179, 179, 179
constexpr COLORREF kWhite = 0xFFFFFF;

struct Band {
    int top;
    int bottom;
    int middle() const { return top + ((bottom - top) >> 1); }
};

void line(HDC dc, int x1, int y1, int x2, int y2) {
    MoveToEx(dc, x1, y1, nullptr);
    LineTo(dc, x2, y2);
}

}  // namespace

RulerWindow& RulerWindow::instance() {
    static RulerWindow* object = new RulerWindow;
    return *object;
}

HWND RulerWindow::create(HWND parent, int x, int y, int width, int height) {
    HWND window = CreateWindowExA(0, "markwdclass", "wdmarkname", WS_CHILD, x, y, width, height, parent, nullptr,
                                  nullptr, nullptr);
    if (!window) return nullptr;
    window_ = window;
    LibraryWindows::instance().setWindow(LibraryWindows::Which::Ruler, window);
    return window;
}

void RulerWindow::invalidate() const {
    if (HWND w = window_.load()) InvalidateRect(w, nullptr, FALSE);
}

void RulerWindow::setStereoRows(int top0, int bottom0, int top1, int bottom1) {
    stereoRows_[0] = top0;
    stereoRows_[1] = bottom0;
    stereoRows_[2] = top1;
    stereoRows_[3] = bottom1;
}

void RulerWindow::setMonoRows(int top, int bottom) {
    monoRows_[0] = top;
    monoRows_[1] = bottom;
}

LRESULT CALLBACK RulerWindow::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    RulerWindow& self = instance();
    switch (message) {
        case WM_DESTROY:
            if (self.window_.load() == window) {
                self.window_ = nullptr;
                LibraryWindows::instance().clearWindow(LibraryWindows::Which::Ruler, window);
            }
            break;
        case WM_PAINT:
            self.paint(window);
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case MM_MIXM_CONTROL_CHANGE:
            PostMessageA(HostWindows::instance().recordNotifyWindow(), NotifyRecordMixerChanged, wParam, lParam);
            return 0;
        default:
            break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void RulerWindow::paint(HWND window) const {
    PAINTSTRUCT ps{};
    HDC dc = BeginPaint(window, &ps);
    RECT client{};
    GetClientRect(window, &client);
    {
        OffscreenCanvas canvas(dc, client.right, client.bottom);
        const Track* track = TrackList::instance().current();
        if (track) {
            HDC mem = canvas.dc();
            HBRUSH grey = CreateSolidBrush(kGrey);
            FillRect(mem, &client, grey);
            DeleteObject(grey);

            std::vector<Band> bands;
            if (track->channelCount() == 2) {
                bands = {{stereoRows_[0], stereoRows_[1]}, {stereoRows_[2], stereoRows_[3]}};
            } else {
                bands = {{monoRows_[0], monoRows_[1]}};
            }
            {
                ScopedGdiObject widePen(mem, CreatePen(PS_SOLID, 2, kWhite));
                line(mem, 0, 0, 0, client.bottom);
                ScopedGdiObject font(mem, CreateFontA(20, 8, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                                      CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                                      DEFAULT_PITCH | FF_DONTCARE, "Arial"));
                SetTextColor(mem, kWhite);
                SetBkMode(mem, TRANSPARENT);
                for (const Band& band : bands) {
                    const std::pair<int, const char*> marks[3] = {
                        {band.top, " 1.0"}, {band.middle(), " 0.0"}, {band.bottom, "-1.0"}};
                    for (const auto& [row, label] : marks) {
                        line(mem, 1, row, 6, row);
                        SIZE size{};
                        GetTextExtentPoint32A(mem, label, 4, &size);
                        TextOutA(mem, 6, row - size.cy / 2, label, 4);
                    }
                }
            }
            ScopedGdiObject thinPen(mem, CreatePen(PS_SOLID, 1, kWhite));
            for (const Band& band : bands) {
                const int m = band.middle();
                for (int k = 1; k <= 9; ++k) {
                    const int upper = band.top + (m - band.top) * k / 10;
                    const int lower = m + (band.bottom - m) * k / 10;
                    line(mem, 1, upper, 3, upper);
                    line(mem, 1, lower, 3, lower);
                }
            }
        }
        canvas.copyTo(dc, client.right, client.bottom);
    }
    EndPaint(window, &ps);
}

}  // namespace wd
