#include "ui/time_window_text.h"

#include <cstring>

namespace wd {

TimeWindowText& TimeWindowText::instance() {
    static TimeWindowText* text = new TimeWindowText;
    return *text;
}

void TimeWindowText::setText(const char* text) {
    std::string kept = text ? std::string(text, strnlen(text, kMaxLength)) : std::string();
    std::lock_guard lock(mutex_);
    text_ = std::move(kept);
}

std::string TimeWindowText::text() const {
    std::lock_guard lock(mutex_);
    return text_;
}

}  // namespace wd
