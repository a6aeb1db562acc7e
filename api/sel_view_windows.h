// The six windows that show the selection and view times.
#pragma once

#include <atomic>

#include "model/time_text_receiver.h"
#include "wavedeck_types.h"

namespace wd {

/**
 * The windows registered with WDXRegSelViewHWND: selection start, end and length, view
 * start, end and length. A track's time texts are sent to them as WM_SETTEXT with
 * SendMessageA, synchronously on the reporting thread; a null handle receives nothing.
 * Registering installs this object as the tracks' TimeTextReceiver.
 */
class SelViewWindows final : public TimeTextReceiver {
public:
    static SelViewWindows& instance();

    /** Stores the six handles (null allowed) and starts receiving the tracks' texts. */
    void set(HWND selStart, HWND selEnd, HWND selLength, HWND viewStart, HWND viewEnd, HWND viewLength);
    HWND window(TimeTextSlot slot) const;

    void receiveTimeText(TimeTextSlot slot, const char* text) override;

private:
    SelViewWindows() = default;

    static constexpr int kSlots = 6;
    std::atomic<HWND> windows_[kSlots] = {};
};

}  // namespace wd
