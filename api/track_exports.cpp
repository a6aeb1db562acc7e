// Exports that read the current track and step its undo history.
#include "api/host_windows.h"
#include "api/view_windows.h"
#include "model/track_list.h"
#include "model/undo_history.h"
#include "wavedeck.h"
#include "wavedeck_messages.h"

namespace wd {
namespace {

// After undo and redo (which happen even when there was nothing to step): redraw the
// track window, report the selection and view times, redraw the ruler, tell the host.
void refreshAfterHistoryStep(const Track& track) {
    ViewWindows::instance().invalidate(ViewWindows::View::Track);
    if (const Channel* c = track.channel(0)) track.reportSelectionTimes(c->selStart, c->selLength);
    track.reportViewTimes(track.viewStart);
    ViewWindows::instance().invalidate(ViewWindows::View::Ruler);
    HostWindows::instance().broadcast(NotifySelectionChanged);
    HostWindows::instance().broadcast(NotifyTrackChanged);
}

int historyStep(bool forward) {
    Track* track = TrackList::instance().current();
    if (!track) return -1;
    if (forward) {
        UndoHistory::instance().redo(track->id(), *track);
    } else {
        UndoHistory::instance().undo(track->id(), *track);
    }
    refreshAfterHistoryStep(*track);
    return 0;
}

int canStep(bool forward) {
    const Track* track = TrackList::instance().current();
    if (!track) return 0;
    const TrackHistory* history = UndoHistory::instance().history(track->id());
    if (!history) return 0;
    return (forward ? history->canRedo() : history->canUndo()) ? 1 : 0;
}

}  // namespace
}  // namespace wd

// A state copy that cannot be allocated fails the step; nothing is thrown to the host.
int WDXUndo(void) {
    try {
        return wd::historyStep(false);
    } catch (...) {
        return -1;
    }
}

int WDXRedo(void) {
    try {
        return wd::historyStep(true);
    } catch (...) {
        return -1;
    }
}

int WDXCanUndo(void) { return wd::canStep(false); }

int WDXCanRedo(void) { return wd::canStep(true); }

int WDXGetTrackInfo(int what) {
    const wd::Track* track = wd::TrackList::instance().current();
    if (!track) return -1;
    switch (what) {
        case 0: return track->channelCount();
        case 1: return track->sampleRate;
        case 2: return track->length();
        default: return -1;
    }
}
