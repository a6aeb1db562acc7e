#include "event_log.h"

#include <cstdlib>

namespace desktop {

EventLog& EventLog::instance() {
    static EventLog* log = new EventLog;
    return *log;
}

EventLog::EventLog() : start_(std::chrono::steady_clock::now()) {
    if (const char* path = std::getenv("WAVEDECK_GUI_LOG"); path && *path) file_ = std::fopen(path, "w");
}

void EventLog::write(const char* kind, const std::string& text) {
    if (!file_) return;
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    std::fprintf(file_, "%.3f %s %s\n", seconds, kind, text.c_str());
    std::fflush(file_);
}

void EventLog::status(const std::string& text) {
    if (show_) show_(text);
    write("status", text);
}

void EventLog::event(const std::string& text) { write("event", text); }

void EventLog::draw(const char* pane) { write("draw", pane); }

}  // namespace desktop
