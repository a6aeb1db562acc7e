#include "ui/main_window.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "services/host_windows.h"
#include "services/library_windows.h"
#include "services/module.h"
#include "audio/output_volume_mixer.h"
#include "audio/player.h"
#include "audio/record_line_mixer.h"
#include "effects/effect.h"
#include "model/journal.h"
#include "model/track_list.h"
#include "model/undo_history.h"
#include "platform/audio/winmm.h"
#include "ui/offscreen_canvas.h"
#include "ui/ruler_window.h"
#include "ui/tab_window.h"
#include "ui/track_painter.h"
#include "ui/track_window.h"
#include "wavedeck.h"
#include "wavedeck_messages.h"

namespace wd {

namespace {

// The tab text of a track: its name without folder and extension (empty when the name
// cannot be reduced). The buffer is never shorter than the name.
std::string tabText(const std::string& name) {
    std::vector<char> buffer(std::max<size_t>(512, name.size() + 1), 0);
    WDXGetFileNameNoExtension(name.c_str(), buffer.data());
    return std::string(buffer.data());
}

bool isListedTrack(const Track* candidate) {
    const TrackList& list = TrackList::instance();
    for (int i = 0; i < list.count(); ++i) {
        if (list.trackAt(i) == candidate) return true;
    }
    return false;
}

void reportSelectionAndView(const Track& track) {
    if (const Channel* c = track.channel(0)) track.reportSelectionTimes(c->selStart, c->selLength);
    track.reportViewTimes(track.viewStart);
}

}  // namespace

MainWindow& MainWindow::instance() {
    static MainWindow* object = new MainWindow;
    return *object;
}

MainWindow::MainWindow() = default;
MainWindow::~MainWindow() = default;

void MainWindow::broadcast(UINT message, WPARAM wParam, LPARAM lParam) {
    HostWindows::instance().broadcast(message, wParam, lParam);
}

void MainWindow::setWindow(HWND window) {
    window_ = window;
    LibraryWindows::instance().setWindow(LibraryWindows::Which::Main, window);
}

// ---------------------------------------------------------------- creation and layout

HWND MainWindow::create(HWND parent, int x, int y, int width, int height) {
    if (!IsWindow(parent)) return nullptr;
    HWND window = CreateWindowExA(0, "trackmainclass", "mainwindow_aa", WS_CHILD, x, y, width, height, parent,
                                  nullptr, nullptr, nullptr);
    if (!window) return nullptr;
    setWindow(window);
    TabWindow& tabs = TabWindow::instance();
    tabs.create(window, 0, 0, width, kTabHeight);
    tabs.addListener(window);
    Player::instance().addWindow(window);
    TrackWindow::instance().create(window, 0, kTabHeight, width - kRulerWidth, height - kTabHeight);
    RulerWindow::instance().create(window, width - kRulerWidth, kTabHeight, kRulerWidth, height - kTabHeight);
    UpdateWindow(window);
    ShowWindow(window, SW_SHOWNORMAL);
    if (TrackList::instance().current()) showChildren(true);
    OutputVolumeMixer::instance().open(window);
    RecordLineMixer::instance().open(RulerWindow::instance().window());
    return window;
}

void MainWindow::showChildren(bool show) const {
    for (HWND child : {TabWindow::instance().window(), TrackWindow::instance().window(), RulerWindow::instance().window()}) {
        if (!IsWindow(child)) continue;
        ShowWindow(child, show ? SW_SHOWNORMAL : SW_HIDE);
        if (show) UpdateWindow(child);
    }
}

void MainWindow::layout(int width, int height) const {
    if (HWND track = TrackWindow::instance().window(); IsWindow(track)) {
        MoveWindow(track, 0, kTabHeight, width - kRulerWidth, height - kTabHeight, TRUE);
    }
    if (HWND tabs = TabWindow::instance().window(); IsWindow(tabs)) MoveWindow(tabs, 0, 0, width, kTabHeight, TRUE);
    if (HWND ruler = RulerWindow::instance().window(); IsWindow(ruler)) {
        MoveWindow(ruler, width - kRulerWidth, kTabHeight, kRulerWidth, height - kTabHeight, TRUE);
    }
}

// ---------------------------------------------------------------- window procedure

LRESULT CALLBACK MainWindow::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    MainWindow& self = instance();
    switch (message) {
        case WM_CREATE:
            self.setWindow(window);
            break;
        case WM_DESTROY:
            if (self.window_.load() == window) self.window_ = nullptr;
            LibraryWindows::instance().clearWindow(LibraryWindows::Which::Main, window);
            break;
        case WM_SIZE: {
            const auto word = static_cast<uintptr_t>(lParam);
            self.layout(static_cast<int16_t>(word & 0xFFFF), static_cast<int>(word >> 16 & 0xFFFF));
            return 0;
        }
        case WM_PAINT:
            if (TrackList::instance().current()) break;
            self.paintPicture(window);
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case MM_MIXM_CONTROL_CHANGE:
            if (HWND first = HostWindows::instance().first()) PostMessageA(first, NotifyMixerChanged, wParam, lParam);
            return 0;
        case MsgImportComplete:
            self.takeOver(lParam);
            return 0;
        case MsgTabClose:
            self.tabClosed(static_cast<uint32_t>(lParam));
            return 0;
        case MsgTabSelect:
            self.tabSelected(static_cast<uint32_t>(lParam));
            return 0;
        case MsgPlayStarted:
            self.playStarted();
            return 0;
        case MsgPlayRangeEnd:
            Player::instance().stop();
            return 0;
        case MsgPlayStopped:
            self.playStopped();
            return 0;
        case MsgPlayProgress:
            self.playProgress();
            return 0;
        case MsgEffectFinished:
            self.effectFinished(reinterpret_cast<Track*>(wParam), reinterpret_cast<Effect*>(lParam));
            return 0;
        case MsgEditFinished:
            editFinished(static_cast<uint32_t>(wParam));
            return 0;
        default:
            break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void MainWindow::paintPicture(HWND window) const {
    PAINTSTRUCT ps{};
    HDC dc = BeginPaint(window, &ps);
    RECT client{};
    GetClientRect(window, &client);
    {
        OffscreenCanvas canvas(dc, client.right, client.bottom);
        HBITMAP picture = LoadBitmapA(reinterpret_cast<HINSTANCE>(moduleHandle()), MAKEINTRESOURCEA(kPictureBitmap));
        if (picture) {
            BITMAP info{};
            GetObjectA(picture, sizeof info, &info);
            HDC source = CreateCompatibleDC(dc);
            HGDIOBJ previous = SelectObject(source, picture);
            if (info.bmWidth == client.right && info.bmHeight == client.bottom) {
                BitBlt(canvas.dc(), 0, 0, client.right, client.bottom, source, 0, 0, SRCCOPY);
            } else {
                StretchBlt(canvas.dc(), 0, 0, client.right, client.bottom, source, 0, 0, info.bmWidth, info.bmHeight,
                           SRCCOPY);
            }
            SelectObject(source, previous);
            DeleteDC(source);
            DeleteObject(picture);
        }
        canvas.copyTo(dc, client.right, client.bottom);
    }
    EndPaint(window, &ps);
}

// ---------------------------------------------------------------- tracks

void MainWindow::setUpView(Track& track) {
    const int w = TrackWindow::kLogicalWidth;
    const int h = TrackWindow::kLogicalHeight;
    const int length = track.length();
    const int spp = static_cast<int>((static_cast<int64_t>(length) + w - 1) / w);
    track.zoomFactor = 1;
    track.viewStart = 0;
    track.viewColumns = w;
    track.fitSamplesPerColumn = spp;
    track.samplesPerColumn = spp;
    track.reportSelectionTimes(0, 0);
    track.reportViewTimes(0);
    for (int i = 0; i < track.channelCount(); ++i) {
        Channel* c = track.channel(i);
        if (!c) continue;
        c->viewRecord.fitSamplesPerColumn = spp;
        c->viewColumns = w;
        c->viewHeight = h;
        c->updateColumns(4, 0, track);
    }
}

void MainWindow::takeOver(LPARAM lParam) const {
    // A track that was removed before this message arrived is not taken over.
    auto* track = reinterpret_cast<Track*>(lParam);
    if (track && isListedTrack(track)) {
        TrackList::instance().builtTrack(track->id());
        UndoHistory::instance().addHistory(track->id());
        Journal::instance().record(*track);
        TabWindow& tabs = TabWindow::instance();
        tabs.addTab(tabText(track->name()).c_str(), track->id());
        // While a play runs the new track only gets its tab; the view keeps the played one.
        if (!Player::instance().isPlaying()) {
            TrackList::instance().setCurrent(track);
            tabs.selectById(track->id());
            broadcast(NotifyTrackChanged);
        }
        setUpView(*track);
        TrackWindow& view = TrackWindow::instance();
        view.updateScrollBar();
        view.invalidate();
        showChildren(true);
        RulerWindow::instance().invalidate();
    }
    broadcast(NotifySelectionChanged);
}

void MainWindow::effectFinished(Track* track, Effect* effect) const {
    // An end without a track changed none (a copy to a new track: its take-over told the host).
    const bool changed = track != nullptr;
    // By id: the track may have been closed while the effect ran its last steps, and a new
    // track may sit at its address.
    track = changed && effect ? TrackList::instance().findById(effect->trackId()) : nullptr;
    if (track && !effect->stopped()) effect->complete(*track);
    const HWND progress = effect ? effect->progressWindow() : nullptr;
    const WPARAM done = effect && effect->succeeded() ? 1 : 0;
    // Deleting the effect releases its claims: the host may start its next operation at
    // NotifyEffectDone.
    delete effect;
    if (track) {
        track->refreshView();
        Journal::instance().record(*track);
        TrackWindow::instance().invalidate();
        reportSelectionAndView(*track);
        RulerWindow::instance().invalidate();
    }
    if (progress) PostMessageA(progress, NotifyEffectDone, done, 100);
    if (!changed) return;
    broadcast(NotifySelectionChanged);
    broadcast(NotifyTrackChanged);
}

void MainWindow::editFinished(uint32_t trackId) {
    // The track may have been closed since the worker ended.
    Track* track = TrackList::instance().findById(trackId);
    if (!track) return;
    track->refreshView();
    Journal::instance().record(*track);
    if (track != TrackList::instance().current()) return;
    TrackWindow& view = TrackWindow::instance();
    view.invalidate();
    view.updateScrollBar();
    reportSelectionAndView(*track);
}

void MainWindow::tabSelected(uint32_t trackId) const {
    TrackList& list = TrackList::instance();
    if (Track* track = list.findById(trackId)) list.setCurrent(track);
    TabWindow::instance().invalidate();
    TrackWindow::instance().invalidate();
    RulerWindow::instance().invalidate();
    if (const Track* current = list.current()) reportSelectionAndView(*current);
    TrackWindow::instance().updateScrollBar();
    broadcast(NotifySelectionChanged);
    broadcast(NotifyTrackChanged);
}

void MainWindow::tabClosed(uint32_t trackId) const {
    TrackList& list = TrackList::instance();
    // The Player reads the track it plays: it stops before the track goes.
    Player::instance().stopPlayingTrack(list.findById(trackId));
    list.removeTrackById(trackId);
    UndoHistory::instance().removeHistory(trackId);
    Journal::instance().forget(trackId);
    if (const Track* current = list.current()) {
        TabWindow::instance().selectById(current->id());
        TrackWindow::instance().invalidate();
        TabWindow::instance().invalidate();
        RulerWindow::instance().invalidate();
        TrackWindow::instance().updateScrollBar();
    } else {
        showChildren(false);
        if (HWND w = window_.load()) InvalidateRect(w, nullptr, TRUE);
    }
    broadcast(NotifySelectionChanged);
    broadcast(NotifyTrackChanged);
}

// ---------------------------------------------------------------- play

void MainWindow::playStarted() const {
    EnableWindow(TabWindow::instance().window(), FALSE);
    EnableWindow(TrackWindow::instance().window(), FALSE);
    // The line starts where the play does, not where the last play left it.
    TrackWindow& view = TrackWindow::instance();
    const Track* track = TrackList::instance().current();
    if (track && track->channel(0)) {
        view.setPlayColumn((track->channel(0)->selStart - track->viewStart) / TrackPainter::columnSamples(*track));
    }
}

void MainWindow::playStopped() const {
    EnableWindow(TabWindow::instance().window(), TRUE);
    EnableWindow(TrackWindow::instance().window(), TRUE);
    TrackWindow::instance().invalidate();
    const Track* track = TrackList::instance().current();
    if (track && track->channel(0)) track->reportSelectionTimes(track->channel(0)->selStart, track->channel(0)->selLength);
    broadcast(NotifySelectionChanged);
}

void MainWindow::playProgress() const {
    Track* track = TrackList::instance().current();
    if (!track) return;
    TrackWindow& view = TrackWindow::instance();
    const int spc = TrackPainter::columnSamples(*track);
    const int position = Player::instance().fillPosition();
    const int column = (position - track->viewStart) / spc;
    const int old = view.playColumn();
    if (column < 1 || column == old) return;
    constexpr int kFollow = (TrackWindow::kLogicalWidth * 3) >> 2;  // 423
    if (column < kFollow || old < kFollow) {
        view.setPlayColumn(column);
    } else {
        const int d = column - old;
        const int64_t viewStart = track->viewStart + static_cast<int64_t>(d) * spc;
        if (static_cast<int64_t>(TrackWindow::kLogicalWidth) * spc + viewStart < track->length()) {
            track->viewStart = static_cast<int>(viewStart);
            track->reportViewTimes(track->viewStart);
            for (int i = 0; i < track->channelCount(); ++i) {
                if (Channel* c = track->channel(i)) c->updateColumns(0, d, *track);
            }
            view.updateScrollBar();
        } else {
            view.setPlayColumn(column);
        }
    }
    view.invalidate();
    track->reportSelectionTimes(position, -1);
}

}  // namespace wd
