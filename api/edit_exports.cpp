// Editing, selection and view exports: the clipboard, the in-place edits, the selection
// moves, zoom, undo and redo.
//
// Edits that change the track are refused (-1) while the Player plays, and while another
// worker (a cut, copy or paste, an effect) holds the track: the Player and the worker read
// the samples meanwhile.
#include <bit>
#include <cstdint>

#include "audio/player.h"
#include "edit/edit_engine.h"
#include "edit/in_place_edits.h"
#include "edit/selection_moves.h"
#include "model/busy_tracks.h"
#include "model/journal.h"
#include "model/track_list.h"
#include "model/undo_history.h"
#include "services/host_windows.h"
#include "services/library_windows.h"
#include "ui/track_window.h"
#include "wavedeck.h"
#include "wavedeck_messages.h"

namespace wd {
namespace {

Track* current() { return TrackList::instance().current(); }

// The current track when it may be changed now: there is one and the Player is idle.
Track* editableTrack() { return Player::instance().isPlaying() ? nullptr : current(); }

// Runs an edit of the track which() gives; -1 without one. Nothing is thrown to the host.
template <typename Edit>
int editTrack(Track* (*which)(), Edit edit) {
    try {
        Track* track = which();
        return track ? edit(*track) : -1;
    } catch (...) {
        return -1;
    }
}

template <typename Edit>
int editCurrent(Edit edit) {
    return editTrack(editableTrack, edit);
}

// Runs a selection move of the current track; -1 without one.
template <typename Move>
int moveCurrent(Move move) {
    try {
        Track* track = current();
        if (!track) return -1;
        move(*track);
        return 0;
    } catch (...) {
        return -1;
    }
}

int paste(HWND progressWindow, PasteMode mode) {
    return editCurrent([&](Track& t) { return EditEngine::instance().paste(&t, progressWindow, mode); });
}

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
    return editCurrent([forward](Track& track) {
        // A worker splicing the track would lose its splice and read freed blocks.
        const TrackClaim claim = TrackClaim::tryClaim(track);
        if (!claim) return -1;
        if (forward) {
            UndoHistory::instance().redo(track.id(), track);
        } else {
            UndoHistory::instance().undo(track.id(), track);
        }
        Journal::instance().record(track);
        refreshAfterHistoryStep(track);
        return 0;
    });
}

int canStep(bool forward) {
    const Track* track = current();
    if (!track) return 0;
    const TrackHistory* history = UndoHistory::instance().history(track->id());
    if (!history) return 0;
    return (forward ? history->canRedo() : history->canUndo()) ? 1 : 0;
}

}  // namespace
}  // namespace wd

using wd::Track;

int WDXCanCutOrCopy(void) {
    wd::EditEngine& engine = wd::EditEngine::instance();
    return engine.setTarget(wd::current()) && engine.canCutOrCopy() ? 1 : 0;
}

int WDXCanPaste(void) { return wd::EditEngine::instance().hasClipboard() ? 1 : 0; }

int WDXCut(HWND progressWindow) {
    return wd::editCurrent([&](Track& t) { return wd::EditEngine::instance().cut(&t, progressWindow); });
}

// Copying writes nothing to the track: it may run while the Player reads it.
int WDXCopy(HWND progressWindow) {
    return wd::editTrack(wd::current, [&](Track& t) { return wd::EditEngine::instance().copy(&t, progressWindow); });
}

int WDXPaste(HWND progressWindow) { return wd::paste(progressWindow, wd::PasteMode::Overwrite); }

int WDXPasteMix(HWND progressWindow) { return wd::paste(progressWindow, wd::PasteMode::Mix); }

int WDXPasteInsert(HWND progressWindow) { return wd::paste(progressWindow, wd::PasteMode::Insert); }

int WDXTrimSelection(void) { return wd::editCurrent(wd::trimSelection); }

int WDXDeleteSelection(void) { return wd::editCurrent(wd::deleteSelection); }

int WDXSilenceSelection(void) { return wd::editCurrent(wd::silenceSelection); }

int WDXInsertSilence(int milliseconds) {
    return wd::editCurrent([=](Track& t) { return wd::insertSilence(t, milliseconds); });
}

int WDXInsertNoise(int milliseconds, DWORD parameter, int kind) {
    const auto amplitude = std::bit_cast<float>(static_cast<uint32_t>(parameter));
    return wd::editCurrent([=](Track& t) { return wd::insertNoise(t, milliseconds, amplitude, kind); });
}

int WDXSelStart(void) {
    return wd::moveCurrent([](Track& t) {
        wd::moveToStart(t);
        wd::TrackWindow::instance().updateScrollBar();
    });
}

int WDXSelEnd(void) {
    return wd::moveCurrent([](Track& t) {
        wd::moveToEnd(t, wd::TrackWindow::kLogicalWidth);
        wd::TrackWindow::instance().updateScrollBar();
    });
}

int WDXSelBackward(void) { return wd::moveCurrent(wd::moveBackward); }

int WDXSelForward(void) { return wd::moveCurrent(wd::moveForward); }

int WDXSelectAll(void) { return wd::moveCurrent(wd::selectAll); }

int WDXSelectStart(void) { return wd::moveCurrent(wd::selectToStart); }

int WDXSelectEnd(void) {
    try {
        Track* track = wd::current();
        return track && wd::selectToEnd(*track) ? 0 : -1;
    } catch (...) {
        return -1;
    }
}

int WDXSetSelection(int start, int length) {
    return wd::editCurrent([=](Track& t) {
        // A worker works on the selection it found when it started.
        const wd::TrackClaim claim = wd::TrackClaim::tryClaim(t);
        if (!claim || !wd::selectRange(t, start, length)) return -1;
        wd::HostWindows::instance().broadcast(NotifySelectionChanged);
        return 0;
    });
}

// A state copy that cannot be allocated fails the step; nothing is thrown to the host.
int WDXUndo(void) { return wd::historyStep(false); }

int WDXRedo(void) { return wd::historyStep(true); }

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
