// Editing, selection and view exports: zoom, undo and redo.
#include "services/host_windows.h"
#include "services/library_windows.h"
#include "model/track_list.h"
#include "model/undo_history.h"
#include "ui/track_window.h"
#include "wavedeck.h"
#include "wavedeck_messages.h"

namespace wd {
namespace {

// After undo and redo (which happen even when there was nothing to step): redraw the
// track window, report the selection and view times, redraw the ruler, tell the host.
void refreshAfterHistoryStep(const Track& track) {
    LibraryWindows::instance().invalidate(LibraryWindows::Which::Track);
    if (const Channel* c = track.channel(0)) track.reportSelectionTimes(c->selStart, c->selLength);
    track.reportViewTimes(track.viewStart);
    LibraryWindows::instance().invalidate(LibraryWindows::Which::Ruler);
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

// Nothing is thrown across the exported interface: a failure gives a neutral result.

int WDXZoomIn(void) {
    try {
        return wd::TrackWindow::instance().zoomIn();
    } catch (...) {
        return 0;
    }
}

int WDXZoomOut(void) {
    try {
        return wd::TrackWindow::instance().zoomOut();
    } catch (...) {
        return 0;
    }
}

int WDXZoomFit(void) {
    try {
        return wd::TrackWindow::instance().zoomFit();
    } catch (...) {
        return 0;
    }
}
