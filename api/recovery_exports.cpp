// Recovering the tracks of processes that ended without closing them.
#include <algorithm>
#include <cstring>

#include "formats/source_reopener.h"
#include "model/block_factory.h"
#include "model/journal.h"
#include "model/recovery.h"
#include "model/track_list.h"
#include "model/undo_history.h"
#include "services/library_windows.h"
#include "wavedeck.h"
#include "wavedeck_messages.h"
#include "wavedeck_win.h"

namespace wd {
namespace {

Recovery& offers() {
    Recovery& recovery = Recovery::instance();
    recovery.scan(BlockFactory::instance().tempFolder());
    return recovery;
}

int recoverTrack(int index) {
    const Recovery::Offer* offer = offers().offer(index);
    const HWND main = LibraryWindows::instance().window(LibraryWindows::Which::Main);
    if (!offer || offer->problem != Recovery::Problem::None || !main) return -1;
    TrackList& list = TrackList::instance();
    Track* track = list.addTrack(offer->name, TrackList::Building::Yes);
    std::vector<std::unique_ptr<Track>> undo, redo;
    SourceReopener sources;
    if (!Recovery::instance().recover(index, *track, undo, redo, std::ref(sources))) {
        list.removeTrack(track);
        return -1;
    }
    // Taken over as a track read from a file; its history follows.
    SendMessageA(main, MsgImportComplete, 0, reinterpret_cast<LPARAM>(track));
    if (TrackHistory* history = UndoHistory::instance().history(track->id())) {
        history->adoptStates(std::move(undo), std::move(redo));
        Journal::instance().record(*track);
    }
    return 0;
}

}  // namespace
}  // namespace wd

int WDXGetRecoverySessionCount(void) { return wd::offers().sessionCount(); }

int WDXGetRecoveryTrackCount(void) { return wd::offers().trackCount(); }

int WDXGetRecoveryTrackName(int index, char* out, int size) {
    const wd::Recovery::Offer* offer = wd::offers().offer(index);
    if (!offer || !out || size < 1) return -1;
    const size_t n = std::min(offer->name.size(), static_cast<size_t>(size - 1));
    std::memcpy(out, offer->name.data(), n);
    out[n] = '\0';
    return 0;
}

int WDXGetRecoveryTrackLength(int index) {
    const wd::Recovery::Offer* offer = wd::offers().offer(index);
    return offer ? offer->length : -1;
}

int WDXGetRecoveryTrackProblem(int index) {
    const wd::Recovery::Offer* offer = wd::offers().offer(index);
    if (!offer) return -1;
    switch (offer->problem) {
        case wd::Recovery::Problem::None: return WD_FAILURE_NONE;
        case wd::Recovery::Problem::SourceChanged: return WD_FAILURE_SOURCE_CHANGED;
        default: return WD_FAILURE_NOT_SOUND;
    }
}

int WDXRecoverTrack(int index) {
    try {
        return wd::recoverTrack(index);
    } catch (...) {
        return -1;
    }
}

int WDXRecoverAllTracks(void) {
    int recovered = 0;
    // Offers that fail stay, so the next one is at index `kept`.
    for (int kept = 0; kept < wd::offers().trackCount();) {
        if (WDXRecoverTrack(kept) == 0) {
            ++recovered;
        } else {
            ++kept;
        }
    }
    return recovered;
}

int WDXDiscardRecovery(void) {
    wd::offers().discardAll();
    return 0;
}
