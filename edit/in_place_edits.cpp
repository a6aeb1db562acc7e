#include "edit/in_place_edits.h"

#include <cmath>
#include <functional>

#include "edit/selection_moves.h"
#include "model/busy_tracks.h"
#include "model/journal.h"
#include "model/track.h"
#include "model/undo_history.h"
#include "services/host_windows.h"
#include "services/library_windows.h"
#include "wavedeck_messages.h"

namespace wd {
namespace {

enum class Redo { Keep, Clear };

// Applies change to each channel the predicate picks; false when any change failed.
bool forChannels(Track& track, const std::function<bool(int)>& picked, const std::function<int(Sequence&)>& change) {
    bool ok = true;
    for (int i = 0; i < track.channelCount(); ++i) {
        if (picked(i) && change(track.channel(i)->sequence()) < 0) ok = false;
    }
    return ok;
}

// Applies a range edit (s, n) to the channels picked; a channel that ends before s (the
// shorter channel of a stereo track) has nothing in the range and stays as it is.
bool forRange(Track& track, const std::function<bool(int)>& picked, int s, int n, int (Sequence::*edit)(int, int)) {
    return forChannels(track, picked, [&](Sequence& seq) { return s < seq.length() ? (seq.*edit)(s, n) : 0; });
}

bool every(int) { return true; }

void setSelection(Track& track, int start, int length) {
    for (int i = 0; i < track.channelCount(); ++i) {
        track.channel(i)->selStart = start;
        track.channel(i)->selLength = length;
    }
}

void refresh(Track& track, int start, int length) {
    track.refreshView();
    LibraryWindows::instance().invalidate(LibraryWindows::Which::Track);
    track.reportSelectionTimes(start, length);
    track.reportViewTimes(track.viewStart);
}

void notifyHost() {
    HostWindows::instance().broadcast(NotifySelectionChanged);
    HostWindows::instance().broadcast(NotifyTrackChanged);
}

// The channels a delete or silence works on: a mono track's only one; in a stereo track
// the selected one, or both.
std::function<bool(int)> selectedChannels(const Track& track) {
    if (track.channelCount() < 2) return every;
    const bool first = track.channel(0)->selectedFlag;
    const bool second = track.channel(1)->selectedFlag;
    return [first, second](int i) { return i == 0 ? first : second; };
}

bool bothSelected(const Track& track) {
    return track.channelCount() < 2 || (track.channel(0)->selectedFlag && track.channel(1)->selectedFlag);
}

// The frame of every edit here: the claim, the undo state (with the track's history, when
// it has one), the change (false when a channel could not be changed), the cursor (unless
// it is negative), the refresh at `reported` and the host's notification.
int applyEdit(Track& track, Redo redo, const std::function<bool()>& change, int cursor, int reported, bool notify) {
    const TrackClaim claim = TrackClaim::tryClaim(track);
    if (!claim) return -1;
    TrackHistory* history = UndoHistory::instance().history(track.id());
    if (history) history->saveState(track);
    if (!change()) {
        // A channel that could not be changed takes the others back with it: a failed edit
        // leaves nothing to undo and nothing to tell.
        if (history) history->withdrawState(track);
        return -1;
    }
    if (history && redo == Redo::Clear) history->clearRedo();
    if (cursor >= 0) setSelection(track, cursor, 0);
    refresh(track, reported, 0);
    Journal::instance().record(track);
    if (notify) notifyHost();
    return 0;
}

// The inserts: ms at the track's rate, rounded to samples, inserted at the cursor by
// insert(sequence, position, count) in every channel.
int insertAtCursor(Track& track, int milliseconds, const std::function<int(Sequence&, int, int)>& insert) {
    const double samples = std::floor(track.sampleRate * static_cast<double>(milliseconds) * 0.001 + 0.5);
    if (milliseconds < 1 || !(samples <= static_cast<double>(Sequence::kMaxLength))) return -1;
    const int count = static_cast<int>(samples);
    const int p = track.channel(0)->selStart;
    auto change = [&] { return forChannels(track, every, [&](Sequence& s) { return insert(s, p, count); }); };
    return applyEdit(track, Redo::Clear, change, p, p, true);
}

}  // namespace

int trimSelection(Track& track) {
    const int s = track.channel(0)->selStart;
    const int n = track.channel(0)->selLength;
    if (n < 1) return -1;
    auto change = [&] { return forChannels(track, every, [&](Sequence& seq) { return seq.keepRange(s, n); }); };
    return applyEdit(track, Redo::Keep, change, 0, 0, true);
}

int deleteSelection(Track& track) {
    if (!hasSelection(track)) return -1;
    const int s = track.channel(0)->selStart;
    const int n = track.channel(0)->selLength;
    // Deleting in one channel of two silences instead: both channels keep one length.
    auto change = [&] {
        if (bothSelected(track)) return forRange(track, every, s, n, &Sequence::deleteRange);
        return forRange(track, selectedChannels(track), s, n, &Sequence::silenceRange);
    };
    return applyEdit(track, Redo::Clear, change, s, s, true);
}

int silenceSelection(Track& track) {
    if (!hasSelection(track)) return -1;
    const int s = track.channel(0)->selStart;
    const int n = track.channel(0)->selLength;
    auto change = [&] { return forRange(track, selectedChannels(track), s, n, &Sequence::silenceRange); };
    return applyEdit(track, Redo::Clear, change, -1, s, false);
}

int insertSilence(Track& track, int milliseconds) {
    return insertAtCursor(track, milliseconds, [](Sequence& s, int p, int count) { return s.insertSilence(p, count); });
}

int insertNoise(Track& track, int milliseconds, float amplitude, int kind) {
    if (!std::isfinite(amplitude)) return -1;
    return insertAtCursor(track, milliseconds, [amplitude, kind](Sequence& s, int p, int count) {
        switch (static_cast<NoiseKind>(kind)) {
            case NoiseKind::White: return s.insertWhiteNoise(p, count, amplitude);
            case NoiseKind::Pink: return s.insertPinkNoise(p, count, amplitude);
        }
        return 0;
    });
}

}  // namespace wd
