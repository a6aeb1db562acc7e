// The two-bar output level meter (left above, right below) that the player feeds.
#pragma once

#include <atomic>
#include <mutex>

#include "audio/level_meter.h"
#include "wavedeck_win.h"

namespace wd {

/**
 * One per process, made on first use and never destroyed. Holds the smoothed peak and mean
 * of each channel on the 16-bit sample scale, all 0 at first; draws a green peak bar with a
 * yellow mean bar over it per channel on black. There is no decay of its own: when the
 * player stops sending, the bars stay where they are.
 *
 * Once made it receives the player's levels. setLevels may be called from any thread (the
 * player calls it from its device callback); the window itself belongs to the
 * user-interface thread.
 */
class VolumeWindow final : public LevelListener {
public:
    /** The smoothed values. */
    struct Levels {
        int peakLeft = 0;
        int meanLeft = 0;
        int peakRight = 0;
        int meanRight = 0;
    };

    static VolumeWindow& instance();
    ~VolumeWindow() override = default;
    VolumeWindow(const VolumeWindow&) = delete;
    VolumeWindow& operator=(const VolumeWindow&) = delete;

    /** Makes the meter's window (class "WdVolueme", title "volume", WS_CHILD) at the place
     * in parent, updates and shows it; returns its handle (null when it cannot be made). */
    HWND create(HWND parent, int x, int y, int width, int height);
    HWND window() const { return window_.load(); }

    /** Each stored value v becomes new * 0.1 + v * 0.9 in double precision, truncated
     * toward zero; the window is invalidated. Any thread. */
    void setLevels(int peakLeft, int meanLeft, int peakRight, int meanRight);
    Levels levels() const;
    /** The player's measurements, smoothed by setLevels. */
    void levelsMeasured(const LevelRecord& level) override;

    /** The procedure of the window class "WdVolueme": paints on WM_PAINT, returns 1 for
     * WM_ERASEBKGND (the paint covers every pixel), default processing otherwise. */
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    /** Largest value a bar shows (full scale of a 16-bit sample). */
    static constexpr int kFullScale = 32767;

private:
    VolumeWindow() = default;
    /** Draws through a memory bitmap of the client size, copied at the end. */
    void paint(HWND window);

    mutable std::mutex mutex_;  // guards levels_: written by the player's thread, read by paint
    Levels levels_;
    std::atomic<HWND> window_{nullptr};  // the last window made; the player's thread invalidates it
};

}  // namespace wd
