// The text the time window shows: the cursor, selection start or play position.
#pragma once

#include <mutex>
#include <string>

namespace wd {

/**
 * The time window's text, "00:00.000" until the first report. Tracks set it on every
 * selection report; the time window reads it when it paints. Process-wide, any thread.
 */
class TimeWindowText {
public:
    /** At most this many characters are kept. */
    static constexpr size_t kMaxLength = 63;

    static TimeWindowText& instance();

    /** Keeps the first kMaxLength characters of text (null keeps an empty text). */
    void setText(const char* text);
    std::string text() const;

private:
    TimeWindowText() = default;

    mutable std::mutex mutex_;
    std::string text_ = "00:00.000";
};

}  // namespace wd
