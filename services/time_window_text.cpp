#include "services/time_window_text.h"

#include <cstring>

#include "wavedeck_win.h"

namespace wd {

TimeWindowText& TimeWindowText::instance() {
    static TimeWindowText* text = new TimeWindowText;
    return *text;
}

void TimeWindowText::setText(const char* text) {
    std::string kept = text ? std::string(text, strnlen(text, kMaxLength)) : std::string();
    {
        std::lock_guard lock(mutex_);
        text_ = std::move(kept);
    }
    if (HWND window = window_.load()) InvalidateRect(window, nullptr, FALSE);
}

std::string TimeWindowText::text() const {
    std::lock_guard lock(mutex_);
    return text_;
}

}  // namespace wd
