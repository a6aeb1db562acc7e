#include "edit/selection_moves.h"

#include <algorithm>
#include <climits>
#include <cstdint>

#include "model/track.h"
#include "services/library_windows.h"

namespace wd {
namespace {

void setSelection(Track& track, int start, int length) {
    for (int i = 0; i < track.channelCount(); ++i) {
        Channel* c = track.channel(i);
        c->selStart = start;
        c->selLength = length;
    }
}

void repaint() { LibraryWindows::instance().invalidate(LibraryWindows::Which::Track); }

// Sets the selection, repaints and reports it.
void showSelection(Track& track, int start, int length) {
    setSelection(track, start, length);
    repaint();
    track.reportSelectionTimes(start, length);
}

void scrollColumns(Track& track, int mode, int columns) {
    for (int i = 0; i < track.channelCount(); ++i) track.channel(i)->updateColumns(mode, columns, track);
}

int cursor(const Track& track) { return track.channel(0)->selStart; }

}  // namespace

void moveToStart(Track& track) {
    const int64_t v = track.viewStart;
    const int64_t c = std::max(track.samplesPerColumn, 1);
    track.viewStart = 0;
    if (v != 0) scrollColumns(track, 1, static_cast<int>((c + v - 1) / c));
    showSelection(track, 0, 0);
    track.reportViewTimes(0);
}

void moveToEnd(Track& track, int viewColumns) {
    const int64_t length = track.length();
    const int64_t c = std::max(track.samplesPerColumn, 1);
    const int64_t v = track.viewStart;
    int64_t start = (length + c - 1) / c * c - static_cast<int64_t>(viewColumns) * c;
    if (start < 1) start = 0;
    if (start != v) {
        track.viewStart = static_cast<int>(start);
        // A view that moves back (the track got shorter) is rebuilt from its new start.
        const int64_t columns = start > v ? (start - v + c - 1) / c : -1;
        scrollColumns(track, 0, static_cast<int>(std::min<int64_t>(columns, INT32_MAX)));
    }
    showSelection(track, static_cast<int>(length), 0);
    track.reportViewTimes(track.viewStart);
}

void moveBackward(Track& track) { showSelection(track, std::max(cursor(track) - track.samplesPerColumn, 0), 0); }

void moveForward(Track& track) {
    const int64_t last = std::max(track.length() - 1, 0);
    showSelection(track, static_cast<int>(std::min<int64_t>(static_cast<int64_t>(cursor(track)) + track.samplesPerColumn, last)), 0);
}

void selectAll(Track& track) { showSelection(track, 0, track.length()); }

void selectToStart(Track& track) {
    const int s = cursor(track);
    if (s != 0) setSelection(track, 0, s);
    repaint();
    track.reportSelectionTimes(0, s);
}

bool selectToEnd(Track& track) {
    const int s = cursor(track);
    const int length = track.length();
    if (s >= length) return false;
    for (int i = 0; i < track.channelCount(); ++i) track.channel(i)->selLength = length - s;
    repaint();
    track.reportSelectionTimes(s, length - s);
    return true;
}

bool selectRange(Track& track, int start, int length) {
    if (start < 0 || length < 0) return false;
    const int end = track.length();
    const int s = std::min(start, end);
    showSelection(track, s, std::min(length, end - s));
    return true;
}

bool hasSelection(const Track& track) {
    const Channel* c0 = track.channel(0);
    if (c0 && c0->selectedFlag && c0->selLength > 0) return true;
    const Channel* c1 = track.channelCount() == 2 ? track.channel(1) : nullptr;
    return c1 && c1->selectedFlag && c1->selLength >= 1;
}

}  // namespace wd
