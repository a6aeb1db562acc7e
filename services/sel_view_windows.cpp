#include "services/sel_view_windows.h"

#include "services/time_window_text.h"
#include "wavedeck_win.h"

namespace wd {

SelViewWindows& SelViewWindows::instance() {
    static SelViewWindows* windows = new SelViewWindows;
    return *windows;
}

void SelViewWindows::set(HWND selStart, HWND selEnd, HWND selLength, HWND viewStart, HWND viewEnd, HWND viewLength) {
    const HWND handles[kSlots] = {selStart, selEnd, selLength, viewStart, viewEnd, viewLength};
    for (int i = 0; i < kSlots; ++i) windows_[i].store(handles[i]);
}

HWND SelViewWindows::window(TimeTextSlot slot) const {
    const int i = static_cast<int>(slot);
    return i >= 0 && i < kSlots ? windows_[i].load() : nullptr;
}

void SelViewWindows::receiveTimeText(TimeTextSlot slot, const char* text) {
    if (slot == TimeTextSlot::Cursor) {
        TimeWindowText::instance().setText(text);
    } else if (HWND w = window(slot)) {
        SendMessageA(w, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
    }
}

}  // namespace wd
