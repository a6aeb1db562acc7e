// The undo histories of all open tracks, by track id.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>

#include "model/track_history.h"

namespace wd {

/**
 * Process-wide map from track id to that track's TrackHistory. A history exists from the
 * moment the main window takes its track over until the track's tab is closed. Locked;
 * a TrackHistory pointer stays valid until removeHistory() of its id, which the
 * user-interface thread calls only when no operation runs on the track.
 */
class UndoHistory {
public:
    static UndoHistory& instance();
    /** A map of its own (tests); the library uses instance(). */
    UndoHistory() = default;
    UndoHistory(const UndoHistory&) = delete;
    UndoHistory& operator=(const UndoHistory&) = delete;

    /** Enters an empty history under id (replacing one there). */
    void addHistory(uint32_t id);
    /** The history of id, or null. */
    TrackHistory* history(uint32_t id) const;
    /** Saves track's state into the history of id; false without one. */
    bool saveState(uint32_t id, const Track& track);
    /** Steps the history of id back (forward); false without one or without a state. */
    bool undo(uint32_t id, Track& track);
    bool redo(uint32_t id, Track& track);
    /** Destroys the history of id with its states; false without one. */
    bool removeHistory(uint32_t id);

private:
    mutable std::mutex mutex_;
    std::map<uint32_t, std::unique_ptr<TrackHistory>> histories_;
};

}  // namespace wd
