#include "host_session.h"

#include <thread>

#include "wavedeck_messages.h"

namespace host {
namespace {

constexpr const char* kClassName = "WaveDeckHostWindow";
Session* gSession = nullptr;  // the one session of this thread, for the window procedure

}  // namespace

LRESULT CALLBACK Session::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (gSession && message >= WM_USER) {
        Note note{window, message, wParam, lParam};
        gSession->notes_.push_back(note);
        if (gSession->watcher_) gSession->watcher_(note);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

Session::Session() {
    gSession = this;
    WNDCLASSA wc{};
    wc.lpfnWndProc = &Session::windowProc;
    wc.lpszClassName = kClassName;
    RegisterClassA(&wc);
    frame_ = CreateWindowExA(0, kClassName, "WaveDeck", WS_OVERLAPPED | WS_VISIBLE, 0, 0, kWidth, kHeight, nullptr,
                             nullptr, nullptr, nullptr);
    progress_ = CreateWindowExA(0, kClassName, "progress", WS_CHILD, 0, 0, 0, 0, frame_, nullptr, nullptr, nullptr);
    WDXRegisterMainWnd(frame_);
    // The editor across the top, the level meter at its right, the large time below.
    main_ = WDXCreateTrackMainWnd(frame_, 0, 0, kWidth - 40, 360);
    volume_ = WDXCreateVolumeWnd(frame_, kWidth - 40, 0, 40, 360);
    time_ = WDXCreateTimeWnd(frame_, 0, 360, kWidth, kHeight - 360);
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
    auto end = std::chrono::steady_clock::now() + deadline;
    MSG msg;
    for (;;) {
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        if (done()) return true;
        if (std::chrono::steady_clock::now() >= end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

void Session::pumpFor(std::chrono::milliseconds span) {
    pumpUntil([] { return false; }, span);
}

size_t Session::count(HWND window, UINT message) const {
    size_t n = 0;
    for (const Note& note : notes_) n += note.window == window && note.message == message;
    return n;
}

bool Session::open(const std::string& path, std::string& error) {
    clear();
    if (WDXOpenTrackFile(progress_, path.c_str()) != 0) {
        pumpFor(std::chrono::milliseconds(0));
        if (count(frame_, NotifyUnsupportedFile)) {
            error = "'" + path + "' has no reader: WaveDeck opens files named .wav, .aiff, .wma or .cda";
        } else {
            error = "cannot start reading '" + path + "'";
        }
        return false;
    }
    bool ended = pumpUntil([&] { return count(progress_, NotifyImportDone) + count(progress_, NotifyImportFailed) > 0; },
                           std::chrono::hours(1));
    if (!ended || count(progress_, NotifyImportFailed)) {
        error = "cannot read '" + path + "': it is missing, unreadable, or not a sound file WaveDeck understands";
        return false;
    }
    // The library's main window takes the new track over; wait until it is current.
    pumpUntil([&] { return count(frame_, NotifyTrackChanged) > 0; }, std::chrono::seconds(10));
    if (WDXGetTrackInfo(0) < 0) {
        error = "'" + path + "' was read but did not become the current track";
        return false;
    }
    return true;
}

bool Session::save(const std::string& path, int type, std::string& error) {
    clear();
    if (WDXSaveTrackFile(progress_, path.c_str(), type) != 0) {
        error = "cannot start saving '" + path + "'";
        return false;
    }
    bool ended = pumpUntil([&] { return count(progress_, NotifySaveDone) + count(progress_, NotifySaveFailed) > 0; },
                           std::chrono::hours(1));
    if (!ended || count(progress_, NotifySaveFailed)) {
        error = "cannot write '" + path + "': check that its folder exists and can be written";
        return false;
    }
    return true;
}

bool Session::snapshot(const std::string& path) {
    pumpFor(std::chrono::milliseconds(20));
    return WDXCaptureWindowPng(frame_, path.c_str()) != 0;
}

}  // namespace host
