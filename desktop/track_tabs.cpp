#include "track_tabs.h"

#include <algorithm>

#include "wavedeck.h"
#include "wavedeck_messages.h"

namespace desktop {

namespace {
// The library's own messages to its main window (posted by its tab strip and workers).
constexpr UINT kTrackTakenOver = 1424;
constexpr UINT kTabClose = 1427;
constexpr UINT kTabSelect = 1428;

TrackTabs* chained = nullptr;  // one editor window per process
}  // namespace

TrackTabs::TrackTabs(HWND mainWindow, std::function<std::vector<uint32_t>()> stripRow) : window_(mainWindow), stripRow_(std::move(stripRow)) {
    chained = this;
    library_ = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(window_, GWLP_WNDPROC, reinterpret_cast<intptr_t>(&TrackTabs::proc)));
}

TrackTabs::~TrackTabs() {
    if (IsWindow(window_)) SetWindowLongPtrA(window_, GWLP_WNDPROC, reinterpret_cast<intptr_t>(library_));
    chained = nullptr;
}

LRESULT CALLBACK TrackTabs::proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    TrackTabs& self = *chained;
    switch (message) {
        case kTrackTakenOver: {
            // While a play runs the new track only gets its tab; the played one stays current.
            const bool becomesCurrent = WDXCanOperate(1, 2) != 0 || WDXGetTrackInfo(0) <= 0;
            const LRESULT result = CallWindowProcA(self.library_, window, message, wParam, lParam);
            if (lParam == 0) return result;
            self.records_.emplace_back();
            self.records_.back().serial = ++self.serials_;
            if (becomesCurrent) self.current_ = self.records_.size() - 1;
            if (self.taken_) self.taken_(self.records_.back());
            return result;
        }
        case kTabSelect: self.selected(static_cast<uint32_t>(lParam)); break;
        case kTabClose: {
            self.closed(static_cast<uint32_t>(lParam));
            const LRESULT result = CallWindowProcA(self.library_, window, message, wParam, lParam);
            if (self.closed_) self.closed_();
            return result;
        }
        default: break;
    }
    return CallWindowProcA(self.library_, window, message, wParam, lParam);
}

TrackRecord* TrackTabs::find(int serial) {
    const auto it = std::find_if(records_.begin(), records_.end(), [serial](const TrackRecord& r) { return r.serial == serial; });
    return it == records_.end() ? nullptr : &*it;
}

int TrackTabs::tabAt(int x) const {
    // The tab under x is the number of lines between tabs left of it; the strip's last
    // 50 pixels hold its buttons.
    constexpr uint32_t kSeparator = 0xACA899, kSelectedEdge = 0x000000;
    const std::vector<uint32_t> row = stripRow_();
    if (x < 0 || static_cast<size_t>(x) + 50 >= row.size()) return -1;
    int index = 0;
    for (int i = 1; i < x; ++i) {
        const uint32_t colour = row[static_cast<size_t>(i)] & 0xFFFFFF;
        if (colour == kSeparator || colour == kSelectedEdge) ++index;
    }
    return index;
}

void TrackTabs::selected(uint32_t id) {
    auto known = std::find_if(records_.begin(), records_.end(), [id](const TrackRecord& r) { return r.idKnown && r.id == id; });
    if (known == records_.end() && pressedTab_ >= 0 && static_cast<size_t>(pressedTab_) < records_.size() && !records_[static_cast<size_t>(pressedTab_)].idKnown) {
        known = records_.begin() + pressedTab_;
        known->id = id;
        known->idKnown = true;
    }
    pressedTab_ = -1;
    if (known != records_.end()) current_ = static_cast<size_t>(known - records_.begin());
}

void TrackTabs::closed(uint32_t id) {
    // The library closes the current tab (its close button and the close export both
    // do); the first remaining one becomes current.
    auto gone = std::find_if(records_.begin(), records_.end(), [id](const TrackRecord& r) { return r.idKnown && r.id == id; });
    if (gone == records_.end() && current_ < records_.size()) gone = records_.begin() + static_cast<std::ptrdiff_t>(current_);
    if (gone != records_.end()) records_.erase(gone);
    current_ = records_.empty() ? SIZE_MAX : 0;
}

}  // namespace desktop
