#include "ui/record_window.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "audio/player.h"
#include "model/track.h"
#include "services/module.h"
#include "ui/offscreen_canvas.h"
#include "ui/scroll_request.h"
#include "wavedeck_messages.h"

namespace wd {

namespace {

constexpr COLORREF kWave = RGB(0, 255, 90);
constexpr COLORREF kSeparator = RGB(255, 255, 255);
constexpr COLORREF kCursor = RGB(255, 0, 30);

void line(HDC dc, int x1, int y1, int x2, int y2) {
    MoveToEx(dc, x1, y1, nullptr);
    LineTo(dc, x2, y2);
}

/** The visible pairs of one overview as vertical lines from centre - scale * minimum to
 * centre - scale * maximum, each end truncated toward zero (the end pixel excluded). */
void drawBand(HDC dc, const RecordOverview& overview, int centre, int scale, int width) {
    const int offset = overview.viewOffset();
    const int count = std::max(std::min(width, overview.pairCount() - offset), 0);
    std::vector<float> minima(static_cast<size_t>(count)), maxima(static_cast<size_t>(count));
    const int n = overview.pairs(offset, count, minima.data(), maxima.data());
    const auto c = static_cast<float>(centre);
    const auto s = static_cast<float>(scale);
    for (int x = 0; x < n; ++x) {
        line(dc, x, static_cast<int>(c - s * minima[static_cast<size_t>(x)]), x,
             static_cast<int>(c - s * maxima[static_cast<size_t>(x)]));
    }
}

}  // namespace

RecordWindow& RecordWindow::instance() {
    static auto* window = [] {
        auto* made = new RecordWindow;
        Recorder::instance().setDisplay(made);
        return made;
    }();
    return *window;
}

HWND RecordWindow::create(HWND parent, int x, int y, int width, int height) {
    if (!IsWindow(parent)) return nullptr;
    HWND window = CreateWindowExA(0, "wdrecordclass", "recordwnd", WS_CHILD | WS_HSCROLL, x, y, width, height, parent,
                                  nullptr, reinterpret_cast<HINSTANCE>(moduleHandle()), nullptr);
    if (!IsWindow(window)) return window;
    window_.store(window);
    EnableScrollBar(window, SB_HORZ, ESB_DISABLE_BOTH);
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);
    return window;
}

void RecordWindow::setOverviews(RecordOverview* first, RecordOverview* second) {
    overviews_[0] = first;
    overviews_[1] = second;
    updateScrollBar();
}

LRESULT CALLBACK RecordWindow::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    RecordWindow& self = instance();
    switch (message) {
        case WM_DESTROY: {
            HWND expected = window;
            self.window_.compare_exchange_strong(expected, nullptr);
            break;
        }
        case WM_PAINT:
            self.paint(window);
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_HSCROLL:
            self.scroll(wParam);
            return 0;
        case WM_LBUTTONDOWN:
            if (!self.overviews_[0]) break;
            self.setCursor(static_cast<int16_t>(static_cast<uintptr_t>(lParam) & 0xFFFF));
            return 0;
        case MsgRecordLevel: {
            // A take that ended by itself (its device went away) is stopped here, as the
            // host would on its stop button: what was recorded stays in it.
            Recorder& recorder = Recorder::instance();
            recorder.levelShown();
            if (recorder.ended()) recorder.stop();
            self.followEnd();
            return 0;
        }
        case MsgRecordStarted:
        case MsgRecordStopped:
            self.redrawNow();
            self.updateScrollBar();
            return 0;
        default:
            break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

int RecordWindow::clientWidth() const {
    RECT client{};
    GetClientRect(window(), &client);
    return client.right - client.left;
}

bool RecordWindow::drawable() const {
    return channels_ < 2 ? overviews_[0] != nullptr : overviews_[0] && overviews_[1];
}

void RecordWindow::draw(HDC dc, int width, int height) const {
    RECT all{0, 0, width, height};
    HBRUSH black = CreateSolidBrush(RGB(0, 0, 0));
    FillRect(dc, &all, black);
    DeleteObject(black);
    HPEN wave = CreatePen(PS_SOLID, 1, kWave);
    HPEN separator = CreatePen(PS_SOLID, 1, kSeparator);
    HPEN cursor = CreatePen(PS_SOLID, 1, kCursor);
    HGDIOBJ previous = SelectObject(dc, wave);
    const RecordOverview* first = overviews_[0];
    if (channels_ < 2) {
        const int centre = height >> 1;
        line(dc, 0, centre, width, centre);
        if (first) drawBand(dc, *first, centre, centre, width);
    } else {
        const int quarter = (height - 5) >> 2;
        line(dc, 0, quarter, width, quarter);
        line(dc, 0, 3 * quarter + 5, width, 3 * quarter + 5);
        SelectObject(dc, separator);
        const int middle = (height - 5) >> 1;
        line(dc, 0, middle, width, middle);
        line(dc, 0, middle + 4, width, middle + 4);
        SelectObject(dc, wave);
        if (drawable()) {
            drawBand(dc, *first, quarter, quarter, width);
            drawBand(dc, *overviews_[1], 3 * quarter + 5, quarter, width);
        }
    }
    if (drawable()) {
        SelectObject(dc, cursor);
        const int x = first->cursor() - first->viewOffset();
        line(dc, x, 0, x, height);
    }
    SelectObject(dc, previous);
    DeleteObject(wave);
    DeleteObject(separator);
    DeleteObject(cursor);
}

void RecordWindow::present(HWND window, HDC dc) const {
    RECT client{};
    GetClientRect(window, &client);
    OffscreenCanvas canvas(dc, client.right, client.bottom);
    draw(canvas.dc(), client.right, client.bottom);
    canvas.copyTo(dc, client.right, client.bottom);
}

void RecordWindow::paint(HWND window) const {
    PAINTSTRUCT ps{};
    HDC dc = BeginPaint(window, &ps);
    present(window, dc);
    EndPaint(window, &ps);
}

void RecordWindow::redrawNow() const {
    HWND window = this->window();
    if (!window) return;
    HDC dc = GetDC(window);
    present(window, dc);
    ReleaseDC(window, dc);
}

void RecordWindow::updateScrollBar() const {
    HWND window = this->window();
    if (!window) return;
    const RecordOverview* first = overviews_[0];
    const int width = clientWidth();
    const int count = first ? first->pairCount() : 0;
    if (!first || width >= count) {
        EnableScrollBar(window, SB_HORZ, ESB_DISABLE_BOTH);
        return;
    }
    EnableScrollBar(window, SB_HORZ, ESB_ENABLE_BOTH);
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL;
    info.nMin = 0;
    if (count <= kScrollScale) {
        info.nMax = count;
        info.nPage = static_cast<UINT>(width);
        info.nPos = first->viewOffset();
    } else {
        // A long take scrolls over 65,536 positions with a page in proportion.
        info.nMax = kScrollScale;
        info.nPage = static_cast<UINT>(static_cast<double>(width) * kScrollScale / count + 0.5);
        info.nPos = static_cast<int>(static_cast<int64_t>(first->viewOffset()) * kScrollScale / count);
    }
    SetScrollInfo(window, SB_HORZ, &info, TRUE);
}

void RecordWindow::scroll(WPARAM wParam) {
    HWND window = this->window();
    const std::optional<int> requested = scrollRequest(window, wParam);
    RecordOverview* first = overviews_[0];
    if (!requested || !first) return;
    const int position = *requested;
    const int count = first->pairCount();
    int offset = position;
    if (count > kScrollScale) offset = static_cast<int>(position / (static_cast<double>(kScrollScale) / count) + 0.5);
    offset = std::max(std::min(offset, count - clientWidth()), 0);
    first->setViewOffset(offset);
    if (channels_ >= 2 && overviews_[1]) overviews_[1]->setViewOffset(offset);
    SetScrollPos(window, SB_HORZ, position, TRUE);
    redrawNow();
}

void RecordWindow::setCursor(int x) {
    Player& player = Player::instance();
    const bool wasPlaying = player.stop();
    RecordOverview* first = overviews_[0];
    const int count = first->pairCount();
    int pair = first->viewOffset() + x;
    if (pair > count) pair = count - 1;
    pair = std::max(pair, 0);
    first->setCursor(pair);
    if (channels_ > 1 && overviews_[1]) overviews_[1]->setCursor(pair);
    redrawNow();
    Track* take = Recorder::instance().recordedTrack();
    if (!take) return;
    const int start = static_cast<int>(std::min<int64_t>(static_cast<int64_t>(pair) * kSamplesPerPair, take->length()));
    take->channel(0)->selStart = start;
    if (channels_ > 1 && take->channel(1)) take->channel(1)->selStart = start;
    if (wasPlaying) player.play(*take, Player::kPlaySelection, true);
}

void RecordWindow::followEnd() {
    if (!drawable()) return;
    const int count = overviews_[0]->pairCount();
    const int width = clientWidth();
    const int offset = count > width ? count - width : 0;
    overviews_[0]->setViewOffset(offset);
    if (channels_ >= 2) overviews_[1]->setViewOffset(offset);
    redrawNow();
    updateScrollBar();
}

}  // namespace wd
