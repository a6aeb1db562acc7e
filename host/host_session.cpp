#include "host_session.h"

#include <algorithm>
#include <vector>

#include "screen.h"
#include "wavedeck_messages.h"

namespace host {
namespace {

constexpr const char* kClassName = "WaveDeckHostWindow";
constexpr UINT_PTR kTickTimer = 1;
// While pumping, done() is asked at least this often: it may wait for something that
// sends no message (a signal, a deadline).
constexpr UINT kTickMs = 50;
Session* gSession = nullptr;  // the one session of this thread, for the window procedure

// Heights of the frame's rows below the library's main window.
constexpr int kTabHeight = 30;     // the main window's tab strip
constexpr int kRulerWidth = 40;    // the amplitude scale at its right edge
constexpr int kTimeHeight = 56;    // the large time display
constexpr int kMeterHeight = 24;   // the level meter: a bar per channel

}  // namespace

std::string failureText(int failure, bool writing) {
    auto tempFolder = [] {
        std::vector<char> text(WD_MAX_TEXT, 0);
        WDXGetTempFolder(text.data());
        return std::string(text.data());
    };
    switch (failure) {
        case WD_FAILURE_MISSING:
            return writing ? "its folder does not exist" : "there is no such file";
        case WD_FAILURE_NOT_A_FILE:
            return "it is not a regular file (a folder, a pipe or a device)";
        case WD_FAILURE_NO_PERMISSION:
            return writing ? "this user may not write it or its folder" : "this user may not read it";
        case WD_FAILURE_DISK_FULL:
            return "the disk it goes to is full; nothing was written over it";
        case WD_FAILURE_NAME_TOO_LONG:
            return "the path, or a name in it, is longer than the system allows";
        case WD_FAILURE_NOT_SOUND:
            return "it is not a sound file of the format its name says, or it is damaged";
        case WD_FAILURE_TOO_LONG:
            return "it is longer than the 2,147,483,647 samples per channel a track can hold";
        case WD_FAILURE_TEMP_FULL:
            return "no space is left in the temporary folder " + tempFolder() +
                   " (choose another with 'wavedeck settings --temp-folder DIR')";
        case WD_FAILURE_TEMP_UNWRITABLE:
            return "the temporary folder " + tempFolder() + " cannot be made or written"
                   " (choose another with 'wavedeck settings --temp-folder DIR')";
        case WD_FAILURE_ENCODER:
            return "the encoder is missing or refused the settings (rate, channels or quality)";
        case WD_FAILURE_SOURCE_CHANGED:
            return "another program rewrote the sound file the track reads its audio from since it was opened"
                   " (open that file again)";
        default:
            return writing ? "the file could not be written" : "the file could not be read to its end";
    }
}

LRESULT CALLBACK Session::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (gSession && message >= WM_USER) {
        ++gSession->counts_[{window, message}];
        if (gSession->watcher_) gSession->watcher_(Note{window, message, wParam, lParam});
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

Session::Session(int scale) : scale_(scale < 2 ? 1 : 2) {
    gSession = this;
    WNDCLASSA wc{};
    wc.lpfnWndProc = &Session::windowProc;
    wc.lpszClassName = kClassName;
    RegisterClassA(&wc);
    const int trackWidth = kCanvasWidth * scale_;
    const int trackHeight = kCanvasHeight * scale_ + scrollBarHeight();  // the client, then the bar
    const int mainWidth = trackWidth + kRulerWidth;
    const int mainHeight = kTabHeight + trackHeight;
    const int width = mainWidth;
    const int height = mainHeight + kTimeHeight + kMeterHeight;
    frame_ = createFrame(kClassName, width, height);
    progress_ = CreateWindowExA(0, kClassName, "progress", WS_CHILD, 0, 0, 0, 0, frame_, nullptr, nullptr, nullptr);
    WDXRegisterMainWnd(frame_);
    // The editor across the top; the large time below it; the level meter, left channel
    // above right, along the bottom.
    main_ = WDXCreateTrackMainWnd(frame_, 0, 0, mainWidth, mainHeight);
    time_ = WDXCreateTimeWnd(frame_, 0, mainHeight, width, kTimeHeight);
    volume_ = WDXCreateVolumeWnd(frame_, 0, mainHeight + kTimeHeight, width, kMeterHeight);
}

Session::~Session() {
    WDXExitProgram();
    pumpFor(std::chrono::milliseconds(0));
    if (IsWindow(frame_)) DestroyWindow(frame_);
    pumpFor(std::chrono::milliseconds(0));
    UnregisterClassA(kClassName, nullptr);
    gSession = nullptr;
}

bool Session::pumpUntil(const std::function<bool()>& done, std::chrono::milliseconds deadline) {
    const auto end = std::chrono::steady_clock::now() + deadline;
    MSG msg;
    // Whatever is queued first, without waiting.
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
        if (done()) return true;
    }
    if (done()) return true;
    if (deadline.count() <= 0) return false;
    SetTimer(frame_, kTickTimer, kTickMs, nullptr);
    bool reached = false;
    while (!reached && std::chrono::steady_clock::now() < end && GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
        reached = done();
    }
    KillTimer(frame_, kTickTimer);
    return reached;
}

void Session::pumpFor(std::chrono::milliseconds span) {
    pumpUntil([] { return false; }, span);
}

size_t Session::count(HWND window, UINT message) const {
    auto it = counts_.find({window, message});
    return it == counts_.end() ? 0 : it->second;
}

bool Session::open(const std::string& path, std::string& error) {
    clear();
    if (WDXOpenTrackFile(progress_, absolutePath(path).c_str()) != 0) {
        pumpFor(std::chrono::milliseconds(0));
        if (count(frame_, NotifyUnsupportedFile)) {
            error = "'" + path + "' has no reader: WaveDeck opens files named .wav, .aiff, .mp3, .mp2, .mp1, .ogg, .wma or .cda";
        } else {
            error = "cannot start reading '" + path + "'";
        }
        return false;
    }
    bool ended = pumpUntil(
        [&] { return count(progress_, NotifyImportDone) + count(progress_, NotifyImportFailed) > 0 || interruption(); },
        std::chrono::hours(24));
    if (interruption()) {
        WDXCancelOpenFile();
        error = "interrupted while reading '" + path + "'";
        return false;
    }
    if (!ended || count(progress_, NotifyImportFailed)) {
        error = "cannot read '" + path + "': " + failureText(WDXGetLastFailure(0), false);
        return false;
    }
    // The library's main window takes the new track over and tells the frame: the track
    // changed, then (last) the selection. Both are taken here, so that no later wait
    // mistakes them for news of its own.
    pumpUntil([&] { return count(frame_, NotifyTrackChanged) > 0 && count(frame_, NotifySelectionChanged) > 0; },
              std::chrono::seconds(10));
    if (WDXGetTrackInfo(0) < 0) {
        error = "'" + path + "' was read but did not become the current track";
        return false;
    }
    return true;
}

bool Session::save(const std::string& path, int type, std::string& error) {
    clear();
    if (WDXSaveTrackFile(progress_, absolutePath(path).c_str(), type) != 0) {
        error = "cannot start saving '" + path + "'";
        return false;
    }
    bool ended = pumpUntil(
        [&] { return count(progress_, NotifySaveDone) + count(progress_, NotifySaveFailed) > 0 || interruption(); },
        std::chrono::hours(24));
    if (interruption()) {
        WDXCancelSaveFile();
        error = "interrupted while writing '" + path + "': nothing was written over it";
        return false;
    }
    if (!ended || count(progress_, NotifySaveFailed)) {
        error = "cannot write '" + path + "': " + failureText(WDXGetLastFailure(1), true);
        return false;
    }
    return true;
}

void Session::selectWithMouse(int first, int last) {
    const int length = WDXGetTrackInfo(2);
    if (length <= 0) return;
    // Fitted, a canvas column holds ceil(length / 565) samples; the press and release land
    // on the columns of the two samples, in the second quarter of the canvas (a stereo
    // track keeps both channels selected there).
    const int perColumn = (length + kCanvasWidth - 1) / kCanvasWidth;
    auto screenPoint = [&](int sample) {
        const int column = std::clamp(sample / perColumn, 0, kCanvasWidth);
        POINT p{column * scale_ + scale_ / 2, kTabHeight + 124 * scale_};
        ClientToScreen(main_, &p);
        return p;
    };
    clear();
    dragMouse(frame_, screenPoint(first), screenPoint(last));
    // Posted messages come before input: the press's own selection change can arrive while
    // the move and the release still wait, so the wait lasts until they are handled too.
    pumpUntil([&] { return count(frame_, NotifySelectionChanged) > 0 && (GetQueueStatus(QS_MOUSE) & 0xFFFF) == 0; },
              std::chrono::seconds(5));
}

bool Session::snapshot(const std::string& path, std::string& error) {
    pumpFor(std::chrono::milliseconds(20));
    std::string why;
    if (writeSnapshot(frame_, absolutePath(path), why)) return true;
    error = "cannot write the picture '" + path + "'" + (why.empty() ? "" : ": " + why);
    return false;
}

}  // namespace host
