// The take as it is recorded: one or two overview waveforms with a play cursor.
#pragma once

#include <atomic>

#include "audio/recorder.h"
#include "wavedeck_win.h"

namespace wd {

/**
 * One per process, made on first use (it then shows the Recorder's takes) and never
 * destroyed. Its window (class "wdrecordclass", title "recordwnd", WS_CHILD | WS_HSCROLL,
 * made by WDXCreateRecordWnd) draws the take's overviews one column per pair of 1000
 * samples, green on black, a centre line per channel and, for two channels, white
 * separator lines between the bands. While recording it follows the end of the take; a
 * horizontal scroll bar covers takes wider than the window, on a scale of at most 65,536
 * positions. A click puts the red play cursor on a pair, moves the take's selection start
 * to the pair's first sample and, if the player was playing, plays the take from there.
 *
 * The window belongs to the user-interface thread; window() may be read from any thread.
 */
class RecordWindow final : public RecordDisplay {
public:
    /** Pairs per column of the overviews: one pair per 1000 samples. */
    static constexpr int kSamplesPerPair = RecordOverview::kBlockSamples;
    /** The scroll bar's largest range. */
    static constexpr int kScrollScale = 65536;

    static RecordWindow& instance();
    ~RecordWindow() override = default;
    RecordWindow(const RecordWindow&) = delete;
    RecordWindow& operator=(const RecordWindow&) = delete;

    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    /** Makes the window in parent at the place; when it exists both scroll arrows are
     * disabled and it is shown and updated. @returns it, or null when parent is not a
     * window or creation fails. */
    HWND create(HWND parent, int x, int y, int width, int height);
    HWND window() const override { return window_.load(); }

    /** Stores the overviews and updates the scroll bar. */
    void setOverviews(RecordOverview* first, RecordOverview* second) override;
    /** How many bands are drawn: 2 at first, then the recording format's channels. */
    void setChannelCount(int channels) { channels_ = channels; }
    int channelCount() const { return channels_; }

private:
    RecordWindow() = default;

    void paint(HWND window) const;
    /** Draws through a memory bitmap of the client size, then copies it to dc. */
    void present(HWND window, HDC dc) const;
    /** Draws through a device context taken outside WM_PAINT. */
    void redrawNow() const;
    void draw(HDC dc, int width, int height) const;
    void updateScrollBar() const;
    void scroll(WPARAM wParam);
    /** A click at x: the cursor, the take's selection start, the play back. */
    void setCursor(int x);
    /** While recording: the newest pairs at the right edge. */
    void followEnd();
    /** Whether the bands have what they draw: overview 0 for one channel, both for two. */
    bool drawable() const;
    int clientWidth() const;

    std::atomic<HWND> window_{nullptr};
    RecordOverview* overviews_[2] = {nullptr, nullptr};
    int channels_ = 2;
};

}  // namespace wd
