// What the editor tells its user in the status bar, kept also as lines in the file named
// by WAVEDECK_GUI_LOG (when set) with the seconds since start: a script driving the
// editor waits on them, and the redraws are counted there.
#pragma once

#include <chrono>
#include <cstdio>
#include <functional>
#include <string>

namespace desktop {

class EventLog {
public:
    static EventLog& instance();

    /** What shows the sentences to the user (the editor's status bar). */
    void onStatus(std::function<void(const std::string&)> show) { show_ = std::move(show); }
    /** Shows a sentence in the status bar and logs it. */
    void status(const std::string& text);
    /** Logs an event that the user does not need to read ("opened", "effect done"). */
    void event(const std::string& text);
    /** Logs a redraw of a pane (only when a log file is kept). */
    void draw(const char* pane);

private:
    EventLog();
    void write(const char* kind, const std::string& text);

    std::function<void(const std::string&)> show_;
    FILE* file_ = nullptr;
    std::chrono::steady_clock::time_point start_;
};

}  // namespace desktop
