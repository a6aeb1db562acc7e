#include "ui/tab_window.h"

#include <algorithm>
#include <cstring>

#include "services/module.h"
#include "model/track_list.h"
#include "ui/offscreen_canvas.h"
#include "ui/scoped_gdi_object.h"
#include "wavedeck_messages.h"

namespace wd {

namespace {

constexpr COLORREF kStrip = 0xE9FBFF;      // 255, 251, 233
constexpr COLORREF kGrey = 0xB3B3B3;       // 179, 179, 179
constexpr COLORREF kSeparator = 0x99A8AC;  // 172, 168, 153
constexpr COLORREF kWhite = 0xFFFFFF;
constexpr COLORREF kBlack = 0x000000;

// Bitmap resources of the buttons.
enum ButtonBitmap : int {
    kCloseRaised = 101,
    kCloseFlat = 102,
    kClosePressed = 103,
    kLeftFlat = 104,
    kLeftRaised = 105,
    kLeftPressed = 106,
    kLeftDisabled = 107,
    kRightDisabled = 108,
    kRightFlat = 109,
    kRightRaised = 110,
    kRightPressed = 111,
};
constexpr int kButtonSize = 13;
constexpr int kButtonTop = 4;
constexpr int kButtonBottom = 17;
constexpr UINT_PTR kTimerId = 0;

void line(HDC dc, int x1, int y1, int x2, int y2) {
    MoveToEx(dc, x1, y1, nullptr);
    LineTo(dc, x2, y2);
}

void fill(HDC dc, int left, int top, int right, int bottom, COLORREF colour) {
    HBRUSH brush = CreateSolidBrush(colour);
    const RECT r{left, top, right, bottom};
    FillRect(dc, &r, brush);
    DeleteObject(brush);
}

// Loads the button's bitmap from the library's resources, draws it and frees it.
void drawButton(HDC dc, int x, int y, int id) {
    HBITMAP bitmap = LoadBitmapA(reinterpret_cast<HINSTANCE>(moduleHandle()), MAKEINTRESOURCEA(id));
    if (!bitmap) return;
    HDC source = CreateCompatibleDC(dc);
    HGDIOBJ previous = SelectObject(source, bitmap);
    BitBlt(dc, x, y, kButtonSize, kButtonSize, source, 0, 0, SRCCOPY);
    SelectObject(source, previous);
    DeleteDC(source);
    DeleteObject(bitmap);
}

void splitPoint(LPARAM lParam, int* x, int* y) {
    const auto word = static_cast<uintptr_t>(lParam);
    *x = static_cast<int16_t>(word & 0xFFFF);
    *y = static_cast<int16_t>(word >> 16 & 0xFFFF);
}

}  // namespace

TabWindow& TabWindow::instance() {
    static TabWindow* object = new TabWindow;
    return *object;
}

HWND TabWindow::create(HWND parent, int x, int y, int width, int height) {
    if (!IsWindow(parent)) return nullptr;
    HWND window =
        CreateWindowExA(0, "TrackTabClass", "tabTrack", WS_CHILD, x, y, width, height, parent, nullptr, nullptr, nullptr);
    if (!window) return nullptr;
    window_ = window;
    return window;
}

void TabWindow::invalidate() const {
    if (HWND w = window_.load()) InvalidateRect(w, nullptr, TRUE);
}

int TabWindow::stripWidth() const {
    RECT client{};
    HWND w = window_.load();
    if (!w || !GetClientRect(w, &client)) return 0;
    return client.right;
}

void TabWindow::addListener(HWND window) {
    if (!IsWindow(window)) return;
    if (std::find(listeners_.begin(), listeners_.end(), window) != listeners_.end()) return;
    listeners_.push_back(window);
}

int TabWindow::addTab(const char* name, uint32_t trackId) {
    if (!name) return -1;
    Tab tab;
    tab.name = name;
    tab.trackId = trackId;
    HWND w = window_.load();
    HDC dc = GetDC(w);
    if (dc) {
        SIZE size{};
        GetTextExtentPoint32A(dc, name, static_cast<int>(std::strlen(name)), &size);
        tab.textWidth = size.cx;
        ReleaseDC(w, dc);
    }
    tab.width = tab.textWidth + 4;
    tabs_.push_back(std::move(tab));
    invalidate();
    return static_cast<int>(tabs_.size()) - 1;
}

void TabWindow::selectById(uint32_t trackId) {
    for (size_t i = 0; i < tabs_.size(); ++i) {
        if (tabs_[i].trackId == trackId) {
            select(static_cast<int>(i));
            return;
        }
    }
}

void TabWindow::select(int index) {
    if (index < 0 || index >= static_cast<int>(tabs_.size()) || index == selected_) return;
    int x = scrollOffset_;
    for (int i = 0; i < index; ++i) x += tabs_[static_cast<size_t>(i)].width;
    const int width = tabs_[static_cast<size_t>(index)].width;
    const int w = stripWidth();
    if (x < 0) {
        scrollOffset_ -= x;
    } else if (x + width > w - kButtonArea) {
        scrollOffset_ = w - (x + width) + scrollOffset_ - kButtonArea;
    }
    selected_ = index;
}

void TabWindow::removeTab(int index) {
    if (index < 0 || index >= static_cast<int>(tabs_.size())) return;
    tabs_.erase(tabs_.begin() + index);
    // Tabs scrolled to the left close up against the buttons again when one goes.
    const int total = totalWidth();
    const int room = stripWidth() - kButtonArea;
    if (scrollOffset_ < 0 && scrollOffset_ + total < room) scrollOffset_ = std::min(0, room - total);
    // The selection stays on a tab that exists; the listener selects the new current
    // track's tab afterwards.
    if (selected_ >= static_cast<int>(tabs_.size())) selected_ = std::max(static_cast<int>(tabs_.size()) - 1, 0);
    invalidate();
}

int TabWindow::closeCurrent() {
    const Track* current = TrackList::instance().current();
    if (!current) return 0;
    const uint32_t id = current->id();
    // The selected tab is the current track's; a track that became current without a
    // tab of its own is closed by its id all the same.
    int index = -1;
    for (size_t i = 0; i < tabs_.size(); ++i) {
        if (tabs_[i].trackId == id) index = static_cast<int>(i);
    }
    removeTab(index);
    for (HWND listener : std::vector<HWND>(listeners_)) SendMessageA(listener, MsgTabClose, 0, static_cast<LPARAM>(id));
    resetButtons(window_.load());
    return 1;
}

void TabWindow::post(UINT message, uint32_t trackId) const {
    for (HWND listener : listeners_) PostMessageA(listener, message, 0, static_cast<LPARAM>(trackId));
}

int TabWindow::totalWidth() const {
    int total = 0;
    for (const Tab& tab : tabs_) total += tab.width;
    return total;
}

bool TabWindow::allTabsFit() const { return scrollOffset_ + totalWidth() <= stripWidth() - kButtonArea; }

int TabWindow::tabAt(int x) const {
    int x0 = scrollOffset_;
    for (size_t i = 0; i < tabs_.size(); ++i) {
        if (x >= x0 && x <= x0 + tabs_[i].width) return static_cast<int>(i);
        x0 += tabs_[i].width;
    }
    return -1;
}

int TabWindow::hitTest(int x, int y, int cw, int ch) const {
    if (y >= kButtonTop && y <= kButtonBottom) {
        if (x >= cw - 45 && x <= cw - 32) return kScrollLeft;
        if (x >= cw - 32 && x <= cw - 19) return kScrollRight;
        if (x >= cw - 19 && x <= cw - 6) return kClose;
    }
    if (y >= ch - 5) return kNothing;
    return tabAt(x) >= 0 ? kTab : kNothing;
}

// ---------------------------------------------------------------- window procedure

LRESULT CALLBACK TabWindow::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    TabWindow& self = instance();
    switch (message) {
        case WM_CREATE:
            self.window_ = window;
            break;
        case WM_DESTROY:
            if (self.window_.load() == window) {
                // The next window starts with no pointer state left from this one.
                self.resetButtons(window);
                self.hot_ = kNothing;
                self.window_ = nullptr;
            }
            break;
        case WM_SIZE:
            InvalidateRect(window, nullptr, TRUE);
            return 0;
        case WM_PAINT:
            self.paint(window);
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_TIMER:
            self.timer(window);
            return 0;
        case WM_MOUSEMOVE:
            self.mouseMove(window, lParam);
            return 0;
        case WM_LBUTTONDOWN:
            self.leftDown(window, lParam);
            return 0;
        case WM_LBUTTONUP:
            self.leftUp(window, lParam);
            return 0;
        case WM_RBUTTONDOWN:
        case WM_RBUTTONUP:
            return 0;
        default:
            break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void TabWindow::paint(HWND window) {
    PAINTSTRUCT ps{};
    HDC dc = BeginPaint(window, &ps);
    RECT client{};
    GetClientRect(window, &client);
    const int w = client.right;
    const int h = client.bottom;
    {
        OffscreenCanvas canvas(dc, w, h);
        HDC mem = canvas.dc();
        fill(mem, 0, 0, w, h, kStrip);
        {
            ScopedGdiObject white(mem, CreatePen(PS_SOLID, 1, kWhite));
            line(mem, 0, h - 5, w, h - 5);
        }
        fill(mem, 0, h - 4, w, h, kGrey);

        SetBkMode(mem, TRANSPARENT);
        {
            ScopedGdiObject separator(mem, CreatePen(PS_SOLID, 1, kSeparator));
            int x0 = scrollOffset_;
            for (const Tab& tab : tabs_) {
                TextOutA(mem, x0 + 2, 6, tab.name.c_str(), static_cast<int>(tab.name.size()));
                x0 += tab.width;
                line(mem, x0, 4, x0, h - 7);
            }
        }
        if (!tabs_.empty() && selected_ < static_cast<int>(tabs_.size())) {
            int x = scrollOffset_;
            for (int i = 0; i < selected_; ++i) x += tabs_[static_cast<size_t>(i)].width;
            const Tab& tab = tabs_[static_cast<size_t>(selected_)];
            const int tw = tab.width;
            {
                ScopedGdiObject white(mem, CreatePen(PS_SOLID, 1, kWhite));
                line(mem, x, 4, x, h - 5);
                line(mem, x, 4, x + tw, 4);
            }
            {
                ScopedGdiObject black(mem, CreatePen(PS_SOLID, 1, kBlack));
                line(mem, x + tw, 4, x + tw, h - 6);
            }
            fill(mem, x + 1, 5, x + tw - 1, h, kGrey);
            TextOutA(mem, x + 2, 6, tab.name.c_str(), static_cast<int>(tab.name.size()));
        }
        fill(mem, w - kButtonArea, 0, w, h - 5, kStrip);

        const bool none = tabs_.empty();
        int left = kLeftFlat;
        if (none || scrollOffset_ == 0) {
            left = kLeftDisabled;
        } else if (hot_ == kScrollLeft) {
            left = leftPressed_ ? kLeftPressed : kLeftRaised;
        }
        int right = kRightFlat;
        if (none || scrollOffset_ + totalWidth() <= w - kButtonArea) {
            right = kRightDisabled;
        } else if (hot_ == kScrollRight) {
            right = rightPressed_ ? kRightPressed : kRightRaised;
        }
        int close = kCloseFlat;
        if (!none && hot_ == kClose) close = closePressed_ ? kClosePressed : kCloseRaised;
        drawButton(mem, w - 45, kButtonTop, left);
        drawButton(mem, w - 32, kButtonTop, right);
        drawButton(mem, w - 19, kButtonTop, close);
        canvas.copyTo(dc, w, h);
    }
    EndPaint(window, &ps);
}

// ---------------------------------------------------------------- mouse and timer

void TabWindow::updateHot(HWND window, LPARAM lParam) {
    RECT client{};
    GetClientRect(window, &client);
    int x = 0, y = 0;
    splitPoint(lParam, &x, &y);
    hot_ = hitTest(x, y, client.right, client.bottom);
}

void TabWindow::startAutoScroll(HWND window, int mode) {
    autoScroll_ = mode;
    SetTimer(window, kTimerId, kTimerPeriod, nullptr);
}

void TabWindow::stopAutoScroll(HWND window) {
    autoScroll_ = 0;
    KillTimer(window, kTimerId);
}

void TabWindow::leftDown(HWND window, LPARAM lParam) {
    // The press acts on what lies under the pointer now, also when no move preceded it.
    updateHot(window, lParam);
    const int w = stripWidth();
    switch (hot_) {
        case kTab: {
            buttonDown_ = true;
            int x = 0, y = 0;
            splitPoint(lParam, &x, &y);
            const int index = tabAt(x);
            if (index >= 0 && index != selected_) post(MsgTabSelect, tabs_[static_cast<size_t>(index)].trackId);
            select(index);
            break;
        }
        case kScrollLeft:
            buttonDown_ = true;
            if (scrollOffset_ < 0) {
                scrollOffset_ += kScrollStep;
                if (scrollOffset_ > 0) {
                    scrollOffset_ = 0;
                } else {
                    leftPressed_ = true;
                    startAutoScroll(window, 1);
                    SetCapture(window);
                }
            }
            break;
        case kScrollRight:
            buttonDown_ = true;
            if (!tabs_.empty() && !allTabsFit()) {
                scrollOffset_ -= kScrollStep;
                const int total = totalWidth();
                if (scrollOffset_ + total < w - kButtonArea) {
                    scrollOffset_ = w - total - kButtonArea;
                } else {
                    rightPressed_ = true;
                    startAutoScroll(window, 2);
                    SetCapture(window);
                }
            }
            break;
        case kClose:
            if (!tabs_.empty()) {
                closePressed_ = true;
                SetCapture(window);
            }
            break;
        default:
            break;
    }
    InvalidateRect(window, nullptr, TRUE);
}

void TabWindow::mouseMove(HWND window, LPARAM lParam) {
    updateHot(window, lParam);
    if (buttonDown_) {
        if (hot_ == kScrollLeft) {
            if (leftPressed_ && autoScroll_ != 1) {
                if (scrollOffset_ < 0) {
                    startAutoScroll(window, 1);
                } else {
                    stopAutoScroll(window);
                }
            }
        } else if (hot_ == kScrollRight) {
            if (rightPressed_ && autoScroll_ != 2) {
                if (!allTabsFit()) {
                    startAutoScroll(window, 2);
                } else {
                    stopAutoScroll(window);
                }
            }
        } else {
            // Off the button: pause; the pressed flags stay, so coming back resumes.
            stopAutoScroll(window);
        }
    }
    InvalidateRect(window, nullptr, TRUE);
}

void TabWindow::leftUp(HWND window, LPARAM lParam) {
    // Released where the pointer is now, also when no move was reported since the press.
    updateHot(window, lParam);
    if (closePressed_ && hot_ == kClose && selected_ < static_cast<int>(tabs_.size())) {
        const uint32_t id = tabs_[static_cast<size_t>(selected_)].trackId;
        removeTab(selected_);
        post(MsgTabClose, id);
    }
    resetButtons(window);
}

void TabWindow::resetButtons(HWND window) {
    buttonDown_ = false;
    if (window) {
        stopAutoScroll(window);
        if (GetCapture() == window) ReleaseCapture();
        InvalidateRect(window, nullptr, TRUE);
    }
    autoScroll_ = 0;
    closePressed_ = false;
    leftPressed_ = false;
    rightPressed_ = false;
}

void TabWindow::timer(HWND window) {
    const int w = stripWidth();
    if (autoScroll_ == 1) {
        scrollOffset_ += kScrollStep;
        if (scrollOffset_ > 0) {
            scrollOffset_ = 0;
            stopAutoScroll(window);
        }
    } else if (autoScroll_ == 2) {
        scrollOffset_ -= kScrollStep;
        const int total = totalWidth();
        if (scrollOffset_ + total < w - kButtonArea) {
            scrollOffset_ = w - total - kButtonArea;
            stopAutoScroll(window);
        }
    } else {
        KillTimer(window, kTimerId);
        return;
    }
    InvalidateRect(window, nullptr, TRUE);
}

}  // namespace wd
