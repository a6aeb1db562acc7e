#include "ui/scroll_request.h"

#include <algorithm>

namespace wd {

std::optional<int> scrollRequest(HWND window, WPARAM wParam) {
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_ALL;
    GetScrollInfo(window, SB_HORZ, &info);
    switch (wParam & 0xFFFF) {
        case SB_LINELEFT:
        case SB_PAGELEFT:
        case SB_LEFT:
            return std::max(info.nPos - 1, 0);
        case SB_LINERIGHT:
        case SB_PAGERIGHT:
        case SB_RIGHT:
            return std::min(info.nPos + 1, info.nMax - static_cast<int>(info.nPage));
        case SB_THUMBTRACK:
            return info.nTrackPos;
        default:
            return std::nullopt;
    }
}

}  // namespace wd
