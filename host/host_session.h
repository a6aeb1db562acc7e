// The command-line host's windows and message loop around the library.
#pragma once

#include <chrono>
#include <functional>
#include <map>
#include <string>
#include <utility>

#include "console.h"
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
 * One frame window holding the library's main window, with the large time display and the
 * level meter below it, plus an invisible window that receives progress. The frame is
 * registered as a host window, so it receives the library's notifications. Everything
 * runs on the thread that made the session.
 *
 * The frame is sized so the track view's client is exactly its 565 x 330 canvas times the
 * scale: the waveform, the time ruler and their labels are drawn pixel for pixel.
 */
class Session {
public:
    /** The track view's canvas: the size the library draws the waveform at. */
    static constexpr int kCanvasWidth = 565;
    static constexpr int kCanvasHeight = 330;

    /** scale: 1 or 2 (each canvas pixel becomes scale x scale pixels). */
    explicit Session(int scale = 1);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    HWND frame() const { return frame_; }
    HWND progress() const { return progress_; }
    HWND mainWindow() const { return main_; }

    /** Called for every note as it arrives (progress bars). */
    void onNote(std::function<void(const Note&)> watcher) { watcher_ = std::move(watcher); }

    /** Pumps messages until done() or the deadline; true when done. Sleeps in GetMessageA
     * between messages; done() is asked after every message and at least every 50 ms. */
    bool pumpUntil(const std::function<bool()>& done, std::chrono::milliseconds deadline);
    /** Pumps for the whole span. */
    void pumpFor(std::chrono::milliseconds span);
    /** How many times the message reached the window since the last clear. */
    size_t count(HWND window, UINT message) const;
    void clear() { counts_.clear(); }

    /** Opens a file as the current track; false (with a sentence in error) on failure or
     * when interrupted (the open is then cancelled). */
    bool open(const std::string& path, std::string& error);
    /** Saves the current track as the output type (1 WAV, 2 MP3, 3 WMA, 4 Ogg Vorbis);
     * false with a sentence on failure or when interrupted (the save is then cancelled and
     * an existing file of that name stays as it was). */
    bool save(const std::string& path, int type, std::string& error);
    /** Selects from sample `first` to `last` of the current track with the mouse, as a user
     * drags across the waveform. */
    void selectWithMouse(int first, int last);
    /** Writes the frame, with every window in it, as a PNG file; false with a sentence in
     * error when it cannot. */
    bool snapshot(const std::string& path, std::string& error);

private:
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    int scale_ = 1;
    HWND frame_ = nullptr;
    HWND progress_ = nullptr;
    HWND main_ = nullptr;
    HWND time_ = nullptr;
    HWND volume_ = nullptr;
    std::map<std::pair<HWND, UINT>, size_t> counts_;
    std::function<void(const Note&)> watcher_;
};

/** Why an open (writing false) or a save failed, in words, from a WD_FAILURE_ code. */
std::string failureText(int failure, bool writing);

}  // namespace host
