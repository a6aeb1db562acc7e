#include "platform/messages/message_run.h"

namespace wd {

MessageRun::MessageRun(HWND window, UINT message, WPARAM wParam, size_t length)
    : window_(window), message_(message), wParam_(wParam), length_(length < 1 ? 1 : length) {
    lParams_.reserve(length_);
}

void MessageRun::add(LPARAM lParam) {
    lParams_.push_back(lParam);
    if (lParams_.size() >= length_) flush();
}

void MessageRun::flush() {
    if (!lParams_.empty()) postMessageRun(window_, message_, wParam_, lParams_.data(), lParams_.size());
    lParams_.clear();
}

}  // namespace wd
