// Where the tracks' time texts go: the six windows the host registered and the time window.
#pragma once

#include <atomic>

#include "model/time_text_receiver.h"
#include "wavedeck_types.h"

namespace wd {

/**
 * The tracks' TimeTextReceiver, installed when the library is attached. The cursor text
 * goes to the time window (TimeWindowText); the other six go to the windows registered with
 * WDXRegSelViewHWND (selection start, end and length, view start, end and length) as
 * WM_SETTEXT with SendMessageA, synchronously on the reporting thread; a null handle
 * receives nothing.
 */
class SelViewWindows final : public TimeTextReceiver {
public:
    static SelViewWindows& instance();

    /** Stores the six handles (null allowed). */
    void set(HWND selStart, HWND selEnd, HWND selLength, HWND viewStart, HWND viewEnd, HWND viewLength);
    HWND window(TimeTextSlot slot) const;

    void receiveTimeText(TimeTextSlot slot, const char* text) override;

private:
    SelViewWindows() = default;

    static constexpr int kSlots = 6;
    std::atomic<HWND> windows_[kSlots] = {};
};

}  // namespace wd
