#include "ui/track_window.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "services/host_windows.h"
#include "services/library_windows.h"
#include "audio/player.h"
#include "model/track_list.h"
#include "ui/offscreen_canvas.h"
#include "ui/ruler_window.h"
#include "ui/scroll_request.h"
#include "ui/track_painter.h"
#include "wavedeck_messages.h"

namespace wd {

namespace {

constexpr int kW = TrackWindow::kLogicalWidth;
constexpr int kH = TrackWindow::kLogicalHeight;

int64_t ceilDiv(int64_t a, int64_t b) { return (a + b - 1) / b; }

void forEachChannel(Track& track, auto&& action) {
    for (int i = 0; i < track.channelCount(); ++i) {
        if (Channel* c = track.channel(i)) action(*c);
    }
}

}  // namespace

TrackWindow& TrackWindow::instance() {
    static TrackWindow* object = new TrackWindow;
    return *object;
}

HWND TrackWindow::create(HWND parent, int x, int y, int width, int height) {
    HWND window = CreateWindowExA(0, "trackwndclass", "mywindow", WS_CHILD | WS_HSCROLL, x, y, width, height, parent,
                                  nullptr, nullptr, nullptr);
    if (!window) return nullptr;
    window_ = window;
    LibraryWindows::instance().setWindow(LibraryWindows::Which::Track, window);
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_DISABLENOSCROLL;
    SetScrollInfo(window, SB_HORZ, &info, TRUE);
    updateScrollBar();
    return window;
}

void TrackWindow::invalidate() const {
    if (HWND w = window_.load()) InvalidateRect(w, nullptr, TRUE);
}

POINT TrackWindow::toCanvas(int x, int y, int clientWidth, int clientHeight) {
    const auto map = [](int v, int logical, int client) -> LONG {
        if (client == 0) return 0;
        return static_cast<LONG>(static_cast<double>(logical) * static_cast<int16_t>(v) / client + 0.5);
    };
    return POINT{map(x, kW, clientWidth), map(y, kH, clientHeight)};
}

int TrackWindow::bandOf(int canvasY) {
    constexpr int q = kH / 4;  // 82
    if (canvasY <= q) return 1;
    if (canvasY <= 2 * q) return 2;
    if (canvasY > 3 * q) return 4;
    return 3;
}

POINT TrackWindow::canvasPoint(HWND window, LPARAM lParam) const {
    RECT client{};
    GetClientRect(window, &client);
    const auto word = static_cast<uintptr_t>(lParam);
    return toCanvas(static_cast<int16_t>(word & 0xFFFF), static_cast<int16_t>(word >> 16 & 0xFFFF), client.right,
                    client.bottom);
}

int TrackWindow::sampleAt(const Track& track, int canvasX) {
    const int64_t s = static_cast<int64_t>(TrackPainter::columnSamples(track)) * canvasX + track.viewStart;
    return static_cast<int>(std::clamp<int64_t>(s, 0, track.length()));
}

// ---------------------------------------------------------------- window procedure

LRESULT CALLBACK TrackWindow::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    TrackWindow& self = instance();
    switch (message) {
        case WM_CREATE:
            self.window_ = window;
            break;
        case WM_DESTROY:
            if (self.window_.load() == window) {
                self.window_ = nullptr;
                LibraryWindows::instance().clearWindow(LibraryWindows::Which::Track, window);
                if (GetCapture() == window) ReleaseCapture();
                self.dragging_ = false;
            }
            break;
        case WM_SIZE: {
            const auto word = static_cast<uintptr_t>(lParam);
            self.resize(static_cast<int>(word & 0xFFFF), static_cast<int>(word >> 16 & 0xFFFF));
            break;
        }
        case WM_PAINT:
            self.paint(window);
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_HSCROLL:
            self.scroll(window, wParam);
            return 0;
        case WM_MOUSEMOVE:
            self.drag(window, lParam);
            return 0;
        case WM_LBUTTONDOWN:
            self.press(window, lParam);
            return 0;
        case WM_LBUTTONUP:
            ReleaseCapture();
            self.dragging_ = false;
            HostWindows::instance().broadcast(NotifySelectionChanged);
            return 0;
        case WM_RBUTTONUP:
            HostWindows::instance().broadcast(NotifyTrackContextMenu);
            return 0;
        default:
            break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// ---------------------------------------------------------------- painting and layout

void TrackWindow::paint(HWND window) {
    PAINTSTRUCT ps{};
    HDC dc = BeginPaint(window, &ps);
    {
        OffscreenCanvas canvas(dc, kW, kH);
        TrackPainter::paint(canvas.dc(), TrackList::instance().current(),
                           Player::instance().isPlaying() ? playColumn_ : -1);
        RECT client{};
        GetClientRect(window, &client);
        canvas.copyTo(dc, client.right, client.bottom);
    }
    EndPaint(window, &ps);
}

void TrackWindow::resize(int clientWidth, int clientHeight) {
    if (clientWidth == 0 || clientHeight == 0) return;
    // Both layouts are handed over on every resize, so that switching between a one- and
    // a two-channel track shows the right scale without waiting for the next resize.
    const float r = static_cast<float>(clientHeight) / kH;
    const auto row = [r](int canvasRow) { return static_cast<int>(static_cast<float>(canvasRow) * r); };
    RulerWindow& ruler = RulerWindow::instance();
    ruler.setMonoRows(row(23), row(kH - 45));
    ruler.setStereoRows(row(23), row(((kH - 101) >> 1) + 23), row(((kH - 101) >> 1) + 57), row(kH - 30 - 15));
    ruler.invalidate();
}

// ---------------------------------------------------------------- scrolling and zoom

void TrackWindow::updateScrollBar() {
    HWND window = window_.load();
    if (!window) return;
    const Track* track = TrackList::instance().current();
    if (!track) {
        EnableScrollBar(window, SB_HORZ, ESB_DISABLE_BOTH);
        return;
    }
    const int spc = TrackPainter::columnSamples(*track);
    const int64_t total = ceilDiv(track->length(), spc);
    if (total <= kW) {
        EnableScrollBar(window, SB_HORZ, ESB_DISABLE_BOTH);
        return;
    }
    EnableScrollBar(window, SB_HORZ, ESB_ENABLE_BOTH);
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL;
    info.nMin = 0;
    if (total > kMaxScrollUnits) {
        info.nMax = kMaxScrollUnits;
        info.nPage = 1;
        scrollScale_ = static_cast<float>(total) / kMaxScrollUnits;
    } else {
        info.nMax = static_cast<int>(total);
        info.nPage = kW;
        scrollScale_ = 1.0f;
    }
    int64_t position = ceilDiv(track->viewStart, spc);
    if (scrollScale_ != 1.0f) position = static_cast<int64_t>(static_cast<float>(position) / scrollScale_);
    scrollPosition_ = static_cast<int>(position);
    info.nPos = scrollPosition_;
    SetScrollInfo(window, SB_HORZ, &info, TRUE);
}

void TrackWindow::shiftColumns(Track& track, int columns) {
    forEachChannel(track, [&](Channel& c) {
        if (columns >= 1) {
            c.updateColumns(0, columns, track);
        } else {
            c.updateColumns(1, -columns, track);
        }
    });
}

void TrackWindow::scroll(HWND window, WPARAM wParam) {
    const std::optional<int> requested = scrollRequest(window, wParam);
    if (!requested) return;
    const int position = *requested;
    Track* track = TrackList::instance().current();
    if (!track) return;
    const int spc = TrackPainter::columnSamples(*track);
    const int64_t d = position - scrollPosition_;
    const auto shift = static_cast<int64_t>(static_cast<double>(d) * spc * scrollScale_);
    const int n = static_cast<int>(shift / spc);
    const int viewStart = static_cast<int>(std::max<int64_t>(track->viewStart + static_cast<int64_t>(n) * spc, 0));
    forEachChannel(*track, [&](Channel& c) { c.viewRecord.viewStart = viewStart; });
    track->viewStart = viewStart;
    track->reportViewTimes(viewStart);
    shiftColumns(*track, n);
    scrollPosition_ = position;
    SetScrollPos(window, SB_HORZ, position, TRUE);
    InvalidateRect(window, nullptr, TRUE);
}

int TrackWindow::zoomIn() {
    Track* track = TrackList::instance().current();
    if (!track) return 0;
    const int spc = track->fitSamplesPerColumn / (track->zoomFactor * 2);
    if (spc < 1) return 0;
    track->zoomFactor *= 2;
    track->viewStart += (kW >> 1) * spc;
    track->samplesPerColumn = spc;
    track->reportViewTimes(track->viewStart);
    forEachChannel(*track, [&](Channel& c) { c.updateColumns(2, 0, *track); });
    updateScrollBar();
    invalidate();
    return 0;
}

int TrackWindow::zoomOut() {
    Track* track = TrackList::instance().current();
    if (!track || track->zoomFactor < 2) return 0;
    track->zoomFactor /= 2;
    const int spc = track->fitSamplesPerColumn / track->zoomFactor;
    track->viewStart = std::max(track->viewStart - (kW >> 1) * spc, 0);
    track->samplesPerColumn = spc;
    track->reportViewTimes(track->viewStart);
    forEachChannel(*track, [&](Channel& c) { c.updateColumns(3, 0, *track); });
    updateScrollBar();
    invalidate();
    return 0;
}

int TrackWindow::zoomFit() {
    Track* track = TrackList::instance().current();
    if (!track) return 0;
    track->zoomFactor = 1;
    track->samplesPerColumn = track->fitSamplesPerColumn;
    track->viewStart = 0;
    forEachChannel(*track, [&](Channel& c) { c.updateColumns(4, 0, *track); });
    invalidate();
    updateScrollBar();
    track->reportViewTimes(0);
    return 0;
}

// ---------------------------------------------------------------- mouse selection

void TrackWindow::selectByBand(Track& track, int band) {
    Channel* left = track.channel(0);
    Channel* right = track.channel(1);
    switch (band) {
        case 1:
            left->selectedFlag = true;
            right->selectedFlag = false;
            break;
        case 2:
            left->selectedFlag = true;
            break;
        case 3:
            right->selectedFlag = true;
            break;
        case 4:
            right->selectedFlag = true;
            left->selectedFlag = false;
            break;
        default:
            break;
    }
}

void TrackWindow::press(HWND window, LPARAM lParam) {
    Track* track = TrackList::instance().current();
    if (!track || !track->channel(0)) return;
    const POINT p = canvasPoint(window, lParam);
    const bool stereo = track->channelCount() == 2 && track->channel(1);
    band_ = stereo ? bandOf(p.y) : 5;
    dragging_ = true;
    const int s = sampleAt(*track, p.x);
    if (stereo) {
        forEachChannel(*track, [&](Channel& c) {
            c.selStart = s;
            c.selLength = 0;
        });
        selectByBand(*track, band_);
    } else {
        Channel& c = *track->channel(0);
        c.selectedFlag = true;
        c.selStart = s;
        c.selLength = 0;
    }
    track->reportSelectionTimes(s, 0);
    anchor_ = s;
    InvalidateRect(window, nullptr, TRUE);
    SetCapture(window);
}

void TrackWindow::drag(HWND window, LPARAM lParam) {
    if (!dragging_) return;
    Track* track = TrackList::instance().current();
    if (!track || !track->channel(0)) return;
    const POINT p = canvasPoint(window, lParam);
    const bool stereo = track->channelCount() == 2 && track->channel(1);
    if (stereo) band_ = bandOf(p.y);
    const int spc = TrackPainter::columnSamples(*track);
    int s = sampleAt(*track, p.x);
    if (p.x > kW) {
        // Past the right edge: the view follows by one column per move.
        if (static_cast<int64_t>(kW + 1) * spc + track->viewStart < track->length()) {
            track->viewStart += spc;
            track->reportViewTimes(track->viewStart);
            shiftColumns(*track, 1);
        }
        s = sampleAt(*track, kW);
    } else if (p.x < 0) {
        if (track->viewStart - spc >= 0) {
            track->viewStart -= spc;
            track->reportViewTimes(track->viewStart);
            shiftColumns(*track, -1);
        } else {
            track->viewStart = 0;
            track->reportViewTimes(0);
        }
        s = track->viewStart;
    }
    const int start = std::min(anchor_, s);
    const int length = std::abs(s - anchor_);
    forEachChannel(*track, [&](Channel& c) {
        c.selStart = start;
        c.selLength = length;
    });
    track->reportSelectionTimes(start, length);
    updateScrollBar();
    if (stereo) selectByBand(*track, band_);
    InvalidateRect(window, nullptr, TRUE);
}

}  // namespace wd
