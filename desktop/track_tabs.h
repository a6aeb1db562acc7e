// The editor's record of the library's tabs: one entry per open track, in tab order,
// with the file it belongs to and whether it holds changes that were not saved. The
// library tells its own main window when a track is taken over, a tab is clicked or
// closed; the record listens there (the window procedure is chained), so it follows
// every tab switch whatever its cause.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "wavedeck_win.h"

namespace desktop {

struct TrackRecord {
    int serial = 0;        // the editor's own number for it, never reused
    uint32_t id = 0;
    bool idKnown = false;  // learnt from the first click on its tab or its close
    std::string path;      // where it was opened from or last saved; empty: never saved
    std::string name;      // what the editor calls it
    bool modified = false;
    std::vector<std::string> undo;  // what Undo and Redo take back, last first
    std::vector<std::string> redo;
};

class TrackTabs {
public:
    /** Chains the library's main window procedure. stripRow: the pixels (0xRRGGBB) of
     * the tab strip's row kEdgeRow as the user sees it. */
    TrackTabs(HWND mainWindow, std::function<std::vector<uint32_t>()> stripRow);
    /** Below the names, where only the lines between the tabs cross the strip. */
    static constexpr int kEdgeRow = 22;
    ~TrackTabs();
    TrackTabs(const TrackTabs&) = delete;
    TrackTabs& operator=(const TrackTabs&) = delete;

    /** Called with the new entry after a track was taken over (fill in what it is). */
    void onTakenOver(std::function<void(TrackRecord&)> taken) { taken_ = std::move(taken); }
    /** Called after a tab was closed (the library then reports no times). */
    void onClosed(std::function<void()> closed) { closed_ = std::move(closed); }
    /** A press on the tab strip at x, before the library handles it. */
    void pressed(int x) { pressedTab_ = tabAt(x); }
    /** The index of the tab under a strip x as the user sees it; -1 over the buttons. */
    int tabAt(int x) const;

    TrackRecord* current() { return current_ < records_.size() ? &records_[current_] : nullptr; }
    std::vector<TrackRecord>& all() { return records_; }
    /** The entry with the serial number, or null when its track was closed. */
    TrackRecord* find(int serial);

private:
    static LRESULT CALLBACK proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void selected(uint32_t id);
    void closed(uint32_t id);

    HWND window_;
    WNDPROC library_;
    std::function<std::vector<uint32_t>()> stripRow_;
    std::function<void(TrackRecord&)> taken_;
    std::function<void()> closed_;
    int serials_ = 0;
    std::vector<TrackRecord> records_;
    size_t current_ = SIZE_MAX;
    int pressedTab_ = -1;
};

}  // namespace desktop
