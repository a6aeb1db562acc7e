// The text the time window shows: the cursor, selection start or play position.
#pragma once

#include <atomic>
#include <mutex>
#include <string>

#include "wavedeck_types.h"

namespace wd {

/**
 * The time window's text, "00:00.000" until the first report. Tracks set it on every
 * selection report; the time window reads it when it paints. Process-wide, any thread:
 * each change invalidates the time window (when one exists), so it repaints on its own
 * thread.
 */
class TimeWindowText {
public:
    /** At most this many characters are kept. */
    static constexpr size_t kMaxLength = 63;

    static TimeWindowText& instance();

    /** Keeps the first kMaxLength characters of text (null keeps an empty text) and
     * invalidates the attached window. */
    void setText(const char* text);
    std::string text() const;

    /** The window that shows the text (null: none), invalidated on every change. */
    void setWindow(HWND window) { window_.store(window); }

private:
    TimeWindowText() = default;

    mutable std::mutex mutex_;
    std::string text_ = "00:00.000";
    std::atomic<HWND> window_{nullptr};
};

}  // namespace wd
