#include "platform/window/scroll_bar.h"

#include <algorithm>

namespace wd::window {

namespace {
constexpr uint32_t kTrack = 0xE8E8E8;
constexpr uint32_t kButton = 0xD4D4D4;
constexpr uint32_t kArrow = 0x404040;
constexpr uint32_t kArrowDisabled = 0xA0A0A0;
constexpr uint32_t kThumb = 0xA8A8A8;
}  // namespace

void ScrollBar::create() {
    *this = ScrollBar();
    present_ = true;
    visible_ = true;
}

int ScrollBar::set(const SCROLLINFO& info) {
    present_ = true;
    if (info.fMask & SIF_RANGE) {
        min_ = info.nMin;
        max_ = std::max(info.nMax, info.nMin);
    }
    if (info.fMask & SIF_PAGE) page_ = info.nPage;
    const long long span = static_cast<long long>(max_) - min_ + 1;
    if (static_cast<long long>(page_) > span) page_ = static_cast<UINT>(span);
    if (info.fMask & SIF_POS) position_ = info.nPos;
    const long long highest = std::max<long long>(min_, static_cast<long long>(max_) - std::max<long long>(static_cast<long long>(page_) - 1, 0));
    position_ = static_cast<int>(std::clamp<long long>(position_, min_, highest));
    if (scrollable()) {
        visible_ = true;
        if (disabledByRange_) disabled_ = ESB_ENABLE_BOTH;
        disabledByRange_ = false;
    } else if (info.fMask & SIF_DISABLENOSCROLL) {
        visible_ = true;
        disabled_ = ESB_DISABLE_BOTH;
        disabledByRange_ = true;
    } else {
        visible_ = false;
    }
    return position_;
}

void ScrollBar::get(SCROLLINFO& info) const {
    if (info.fMask & SIF_RANGE) {
        info.nMin = min_;
        info.nMax = max_;
    }
    if (info.fMask & SIF_PAGE) info.nPage = page_;
    if (info.fMask & SIF_POS) info.nPos = position_;
    if (info.fMask & SIF_TRACKPOS) info.nTrackPos = tracking_ ? trackPos_ : position_;
}

bool ScrollBar::enableArrows(UINT disabled) {
    disabled &= ESB_DISABLE_BOTH;
    disabledByRange_ = false;
    if (disabled == disabled_) return false;
    disabled_ = disabled;
    return true;
}

void ScrollBar::thumb(int trackLength, int* start, int* length) const {
    const long long span = static_cast<long long>(max_) - min_ + 1;
    int len = page_ ? static_cast<int>(trackLength * static_cast<long long>(page_) / span) : WD_SCROLLBAR_SIZE;
    len = std::clamp(len, std::min(8, trackLength), trackLength);
    const long long positions = span - std::max<long long>(page_, 1);
    *start = positions > 0 ? static_cast<int>((trackLength - len) * (static_cast<long long>(position_) - min_) / positions) : 0;
    *length = len;
}

int ScrollBar::hitCode(int x, int width) const {
    const int arrow = std::min(WD_SCROLLBAR_SIZE, width / 2);
    if (x < 0 || x >= width) return -1;
    if (x < arrow) return leftEnabled() ? SB_LINELEFT : -1;
    if (x >= width - arrow) return rightEnabled() ? SB_LINERIGHT : -1;
    if (!leftEnabled() && !rightEnabled()) return -1;
    int start = 0, length = 0;
    thumb(width - 2 * arrow, &start, &length);
    const int t = x - arrow;
    if (t < start) return SB_PAGELEFT;
    if (t >= start + length) return SB_PAGERIGHT;
    return SB_THUMBTRACK;
}

int ScrollBar::wheelPosition(int notches) const {
    const long long step = std::max<long long>(1, page_ / 10);
    const long long highest = std::max<long long>(min_, static_cast<long long>(max_) - std::max<long long>(static_cast<long long>(page_) - 1, 0));
    return static_cast<int>(std::clamp<long long>(position_ + step * notches, min_, highest));
}

void ScrollBar::holdTrack(int position) {
    tracking_ = true;
    trackPos_ = position;
    grabOffset_ = 0;
}

void ScrollBar::beginTrack(int x, int width) {
    const int arrow = std::min(WD_SCROLLBAR_SIZE, width / 2);
    int start = 0, length = 0;
    thumb(width - 2 * arrow, &start, &length);
    tracking_ = true;
    trackPos_ = position_;
    grabOffset_ = x - arrow - start;
}

int ScrollBar::track(int x, int width) {
    if (!tracking_) return position_;
    const int arrow = std::min(WD_SCROLLBAR_SIZE, width / 2);
    const int trackLength = width - 2 * arrow;
    int start = 0, length = 0;
    thumb(trackLength, &start, &length);
    const long long room = trackLength - length;
    const long long positions = static_cast<long long>(max_) - min_ + 1 - std::max<long long>(page_, 1);
    const long long thumbStart = std::clamp<long long>(x - arrow - grabOffset_, 0, room);
    // The thumb's pixel place back to a position, rounded to the nearest: the ends of the
    // track are the first and the last position.
    trackPos_ = room > 0 ? static_cast<int>(min_ + (thumbStart * positions + room / 2) / room) : position_;
    return trackPos_;
}

int ScrollBar::endTrack() {
    tracking_ = false;
    return trackPos_;
}

void ScrollBar::draw(gdi::Surface& surface, const gdi::PixelRect& rect) const {
    if (rect.empty()) return;
    surface.fill(rect, kTrack);
    const int arrow = std::min(WD_SCROLLBAR_SIZE, rect.width() / 2);
    const gdi::PixelRect left{rect.left, rect.top, rect.left + arrow, rect.bottom};
    const gdi::PixelRect right{rect.right - arrow, rect.top, rect.right, rect.bottom};
    for (int side = 0; side < 2; ++side) {
        const gdi::PixelRect& box = side == 0 ? left : right;
        surface.fill(box, kButton);
        const uint32_t colour = (side == 0 ? leftEnabled() : rightEnabled()) ? kArrow : kArrowDisabled;
        // A small triangle pointing outward, 4 pixels deep.
        const int cy = box.top + box.height() / 2, cx = box.left + box.width() / 2;
        for (int i = 0; i < 4; ++i) {
            const int x = side == 0 ? cx - 2 + i : cx + 1 - i;
            surface.fill(gdi::PixelRect{x, cy - i, x + 1, cy + i + 1}, colour);
        }
    }
    if (leftEnabled() || rightEnabled()) {
        int start = 0, length = 0;
        thumb(rect.width() - 2 * arrow, &start, &length);
        surface.fill(gdi::PixelRect{rect.left + arrow + start, rect.top + 2, rect.left + arrow + start + length, rect.bottom - 2},
                     kThumb);
    }
}

}  // namespace wd::window
