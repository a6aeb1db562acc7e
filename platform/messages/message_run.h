// A worker's messages of one kind, posted in runs.
#pragma once

#include <cstddef>
#include <vector>

#include "platform/messages/post_run.h"

namespace wd {

/**
 * A worker's progress messages of one kind to one window, each added as it would be
 * posted and posted in runs of up to `length` (postMessageRun): the same messages in the
 * same order, a little later. Whatever was added is posted by flush() and at the latest
 * when the object goes, so messages the worker posts afterwards (its end) come after them.
 */
class MessageRun {
public:
    MessageRun(HWND window, UINT message, WPARAM wParam, size_t length);
    ~MessageRun() { flush(); }
    MessageRun(const MessageRun&) = delete;
    MessageRun& operator=(const MessageRun&) = delete;

    void add(LPARAM lParam);
    void flush();

private:
    HWND window_;
    UINT message_;
    WPARAM wParam_;
    size_t length_;
    std::vector<LPARAM> lParams_;
};

}  // namespace wd
