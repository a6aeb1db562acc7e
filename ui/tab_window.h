// The strip of tabs over the track view: one tab per open track, scroll and close buttons.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "wavedeck_win.h"

namespace wd {

/**
 * One per process, made on first use. Its window (class "TrackTabClass") shows a tab per
 * open track with the track's name, the selected tab raised, and three 13 x 13 buttons
 * at the right end: scroll left, scroll right (stepwise on click, every 100 ms while
 * held) and close. It never changes the TrackList: it tells its listeners with
 * MsgTabSelect (another tab was clicked) and MsgTabClose (lParam the track id).
 * User-interface thread.
 */
class TabWindow {
public:
    /** What the pointer is over. */
    enum Hot : int { kNothing = 0, kScrollLeft = 1, kScrollRight = 2, kTab = 3, kClose = 4 };

    struct Tab {
        int textWidth = 0;  // pixels, in the window's default font
        int width = 0;      // textWidth + 4
        std::string name;
        uint32_t trackId = 0;
    };

    /** Pixels the tabs move per step or timer tick, and the timer's period. */
    static constexpr int kScrollStep = 10;
    static constexpr UINT kTimerPeriod = 100;
    /** Room kept free of tabs at the right end for the buttons. */
    static constexpr int kButtonArea = 50;

    static TabWindow& instance();
    TabWindow(const TabWindow&) = delete;
    TabWindow& operator=(const TabWindow&) = delete;

    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    /** Makes the window (title "tabTrack", WS_CHILD) when parent is a window; not shown.
     * @returns the window, or null. */
    HWND create(HWND parent, int x, int y, int width, int height);
    HWND window() const { return window_.load(); }
    void invalidate() const;

    /** Appends window to the listeners when it is a window and not yet one. */
    void addListener(HWND window);
    /** Appends a tab named `name` for the track. @returns its index, or -1 for a null name. */
    int addTab(const char* name, uint32_t trackId);
    /** Selects the tab of the track (nothing when no tab carries the id). */
    void selectById(uint32_t trackId);
    /** Removes the tab at index (ignored outside the list). */
    void removeTab(int index);
    /**
     * With a current track: removes its tab (the selected one), sends MsgTabClose with
     * the track's id to every listener and resets the buttons. @returns 1, or 0 without
     * a current track.
     */
    int closeCurrent();

    const std::vector<Tab>& tabs() const { return tabs_; }
    int selectedIndex() const { return selected_; }
    int scrollOffset() const { return scrollOffset_; }
    int autoScrollMode() const { return autoScroll_; }

    /** The hot item at a client point of a strip cw x ch with the current tabs. */
    int hitTest(int x, int y, int cw, int ch) const;

private:
    TabWindow() = default;

    void paint(HWND window);
    /** The client width of the strip (0 without a window). */
    int stripWidth() const;
    void select(int index);
    int tabAt(int x) const;
    int totalWidth() const;
    bool allTabsFit() const;
    void post(UINT message, uint32_t trackId) const;
    void resetButtons(HWND window);
    void updateHot(HWND window, LPARAM lParam);
    void leftDown(HWND window, LPARAM lParam);
    void leftUp(HWND window, LPARAM lParam);
    void mouseMove(HWND window, LPARAM lParam);
    void timer(HWND window);
    void startAutoScroll(HWND window, int mode);
    void stopAutoScroll(HWND window);

    std::atomic<HWND> window_{nullptr};
    std::vector<Tab> tabs_;
    int selected_ = 0;
    int scrollOffset_ = 0;
    std::vector<HWND> listeners_;
    int hot_ = kNothing;
    bool buttonDown_ = false;
    bool closePressed_ = false;
    bool leftPressed_ = false;
    bool rightPressed_ = false;
    int autoScroll_ = 0;
};

}  // namespace wd
