// The saved states of one track, for undo and redo.
#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "model/track.h"

namespace wd {

/**
 * Saved states are whole Track copies whose sequences share the track's blocks (one
 * reference per block and state), so a state costs only its lists and a block's file
 * lives while any state or the track refers to it. There is no limit on the number of
 * states. The lists are locked: effects save their state on their worker thread while the
 * user-interface thread asks canUndo().
 */
class TrackHistory {
public:
    TrackHistory() = default;
    /** Destroys every state (releasing their blocks). */
    ~TrackHistory();
    TrackHistory(const TrackHistory&) = delete;
    TrackHistory& operator=(const TrackHistory&) = delete;

    /** Appends a copy of track to the undo states. The redo states stay. Returns true. */
    bool saveState(const Track& track);
    bool canUndo() const;
    bool canRedo() const;
    /** Makes track the last undo state; track's state before goes to the redo states.
     * @returns false (track unchanged) when there is nothing to undo. */
    bool undo(Track& track);
    /** The mirror of undo(). */
    bool redo(Track& track);
    /**
     * Drops the last undo state and puts its channels' samples back into track: for a
     * change abandoned after saveState(). The track's other fields stay as they are.
     * @returns false (track unchanged) when there is no state.
     */
    bool withdrawState(Track& track);
    /** Destroys every redo state. */
    void clearRedo();

    /** Calls visit for every undo state, oldest first, then every redo state, in the
     * order they were made; the lists do not change meanwhile. */
    void visitStates(const std::function<void(const Track& state, bool redo)>& visit) const;
    /** Appends states made elsewhere (a recovered history) to the undo and redo lists. */
    void adoptStates(std::vector<std::unique_ptr<Track>> undo, std::vector<std::unique_ptr<Track>> redo);

    int undoCount() const;
    int redoCount() const;

private:
    using States = std::vector<std::unique_ptr<Track>>;
    static std::unique_ptr<Track> copyOf(const Track& track);
    // Moves track's state onto `to` and the last state of `from` into track.
    static bool step(Track& track, States& from, States& to);

    mutable std::mutex mutex_;
    States undoStates_;
    States redoStates_;
};

}  // namespace wd
