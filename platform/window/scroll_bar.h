// The state of a window's horizontal scroll bar and how it looks. Owned by its Window;
// read and changed only under the window system's lock.
#pragma once

#include "platform/gdi/surface.h"
#include "wavedeck_win.h"

namespace wd::window {

class ScrollBar {
public:
    /** Whether the window has the bar at all (WS_HSCROLL, or SetScrollInfo was called). */
    bool present() const { return present_; }
    /** Whether the bar takes its row from the client area. */
    bool visible() const { return present_ && visible_; }
    /** A fresh bar as WS_HSCROLL gives it: shown, range 0..100, page 0, position 0. */
    void create();

    /** Applies SetScrollInfo; returns the new position. */
    int set(const SCROLLINFO& info);
    void get(SCROLLINFO& info) const;
    int position() const { return position_; }
    /** ESB_* flags; false when nothing changed. */
    bool enableArrows(UINT disabled);
    bool leftEnabled() const { return !(disabled_ & ESB_DISABLE_LEFT) && scrollable(); }
    bool rightEnabled() const { return !(disabled_ & ESB_DISABLE_RIGHT) && scrollable(); }

    /** What a click at x (pixels from the bar's left end, bar width given) asks for: an
     * SB_ code (SB_THUMBTRACK on the thumb), or -1 for nothing (disabled arrow, a disabled
     * bar). */
    int hitCode(int x, int width) const;

    /** Whether the bar is shown and can move (a wheel turns it). */
    bool canScroll() const { return visible() && scrollable() && disabled_ != ESB_DISABLE_BOTH; }
    /** The position a wheel turn of notches asks for (positive: towards the end): a tenth
     * of the page per notch, at least one unit, kept within the range. */
    int wheelPosition(int notches) const;
    /** Holds the thumb at position as a drag would (a wheel turn is delivered as one). */
    void holdTrack(int position);

    /** A thumb drag that took hold at x: the tracking position starts at the position. */
    void beginTrack(int x, int width);
    /** The thumb follows the pointer at x; @returns the new tracking position. */
    int track(int x, int width);
    /** The drag ends; @returns the last tracking position. */
    int endTrack();
    bool tracking() const { return tracking_; }
    /** Draws the bar into rect of the surface: arrow boxes at both ends, the track, and
     * the thumb when the bar can scroll. */
    void draw(gdi::Surface& surface, const gdi::PixelRect& rect) const;

private:
    bool scrollable() const { return max_ > min_ && static_cast<long long>(page_) <= static_cast<long long>(max_) - min_; }
    /** Thumb start and length in track pixels. */
    void thumb(int trackLength, int* start, int* length) const;

    bool present_ = false;
    bool visible_ = false;
    int min_ = 0;
    int max_ = 100;
    UINT page_ = 0;
    int position_ = 0;
    UINT disabled_ = ESB_ENABLE_BOTH;
    // While the thumb is dragged: where it is (nTrackPos) and where the pointer took it.
    bool tracking_ = false;
    int trackPos_ = 0;
    int grabOffset_ = 0;
    bool disabledByRange_ = false;
};

}  // namespace wd::window
