// The library's frame inside the host: tabs, track view and amplitude scale, and the state behind them.
#pragma once

#include <atomic>

#include "wavedeck_win.h"

namespace wd {

class Track;
class Effect;

/**
 * One per process, made on first use and never destroyed. Its window (class
 * "trackmainclass", made by WDXCreateTrackMainWnd) holds the TabWindow across the top
 * (30 pixels), the TrackWindow below it and the RulerWindow (40 pixels) at the right
 * edge; with no current track it hides them and shows the picture (bitmap 117). It
 * receives the library's internal messages (a new track, tab select and close, output
 * mixer changes, the Player's start, progress and end, the end of an effect). It reaches
 * the host windows that receive the library's notifications through HostWindows, and
 * publishes its own handle in LibraryWindows for the workers.
 *
 * window() may be read from any thread (workers address their end messages to it);
 * everything else belongs to the user-interface thread.
 */
class MainWindow {
public:
    static constexpr int kTabHeight = 30;
    static constexpr int kRulerWidth = 40;
    static constexpr int kPictureBitmap = 117;

    static MainWindow& instance();
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    /**
     * Makes the frame (title "mainwindow_aa", WS_CHILD) in parent with its three
     * children, shows it (the children only when a track is current), and opens the
     * output mixer on it and the recording lines on the RulerWindow.
     * @returns the frame, or null when parent is not a window or creation fails.
     */
    HWND create(HWND parent, int x, int y, int width, int height);

    /** The frame's window, or null before WDXCreateTrackMainWnd. */
    HWND window() const { return window_; }

    /** Posts the message to every registered host window, in registration order. */
    static void broadcast(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

private:
    MainWindow();
    ~MainWindow();

    void layout(int width, int height) const;
    void paintPicture(HWND window) const;
    /** MsgImportComplete: tab, history, current track, fitted view. */
    void takeOver(LPARAM lParam) const;
    static void setUpView(Track& track);
    void tabSelected(uint32_t trackId) const;
    /** An effect has ended: it puts its last changes in place (Effect::complete) and is
     * deleted, its track's view is refreshed and the host told. */
    void effectFinished(Track* track, Effect* effect) const;
    /** A cut or paste has changed the track with this id: its view is refreshed. */
    static void editFinished(uint32_t trackId);
    void tabClosed(uint32_t trackId) const;
    void showChildren(bool show) const;
    void playStarted() const;
    void playStopped() const;
    /** MsgPlayProgress: moves the play line, or the view once the line has passed three
     * quarters of the width. */
    void playProgress() const;

    void setWindow(HWND window);

    std::atomic<HWND> window_{nullptr};
};

}  // namespace wd
