// The command-line host's windows and message loop around the library.
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "wavedeck.h"
#include "wavedeck_win.h"

namespace host {

/** A message that reached one of the host's own windows. */
struct Note {
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

/**
 * One frame window holding the library's main window, volume meter and large time
 * display, plus an invisible window that receives progress. The frame is registered as
 * a host window, so it receives the library's notifications. Everything runs on the
 * thread that made the session.
 */
class Session {
public:
    static constexpr int kWidth = 800;
    static constexpr int kHeight = 440;

    Session();
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    HWND frame() const { return frame_; }
    HWND progress() const { return progress_; }
    HWND mainWindow() const { return main_; }

    /** Called for every note as it arrives (progress bars). */
    void onNote(std::function<void(const Note&)> watcher) { watcher_ = std::move(watcher); }

    /** Pumps messages until done() or the deadline; true when done. */
    bool pumpUntil(const std::function<bool()>& done, std::chrono::milliseconds deadline);
    /** Pumps for the whole span. */
    void pumpFor(std::chrono::milliseconds span);
    /** How many times the message reached the window since the last clear. */
    size_t count(HWND window, UINT message) const;
    void clear() { notes_.clear(); }

    /** Opens a file as the current track; false (with a sentence in error) on failure. */
    bool open(const std::string& path, std::string& error);
    /** Saves the current track as the output type (1 WAV, 2 MP3, 3 WMA, 4 Ogg Vorbis);
     * false with a sentence on failure. */
    bool save(const std::string& path, int type, std::string& error);
    /** Writes the frame, with every window in it, as a PNG file. */
    bool snapshot(const std::string& path);

private:
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND frame_ = nullptr;
    HWND progress_ = nullptr;
    HWND main_ = nullptr;
    HWND time_ = nullptr;
    HWND volume_ = nullptr;
    std::vector<Note> notes_;
    std::function<void(const Note&)> watcher_;
};

}  // namespace host
