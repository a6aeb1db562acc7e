// The process's open tracks and the current one.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "model/track.h"

namespace wd {

/**
 * Owns the open tracks in the order they were added, hands out their ids (0, 1, 2, ...,
 * never reused within the process) and names the current track, on which the exports
 * act. Workers add tracks while the user-interface thread removes them and changes the
 * current one, so the list is locked; a Track pointer stays valid until its removal.
 */
class TrackList {
public:
    static TrackList& instance();
    /** A list of its own (tests); the library uses instance(). */
    TrackList() = default;
    TrackList(const TrackList&) = delete;
    TrackList& operator=(const TrackList&) = delete;

    int count() const;
    /** The track at a list position, or null outside 0..count()-1. */
    Track* trackAt(int index) const;
    /** The track with that id, or null. */
    Track* findById(uint32_t id) const;

    /** Whether a new track is still being made by a worker (a read, a take, a copy). */
    enum class Building { No, Yes };
    /**
     * Makes a track with the defaults and no channels, gives it the next id and the
     * name, and appends it. The current track does not change. A track still Building is
     * claimed (BusyTracks, settled: removing it does not wait) until builtTrack() or its
     * removal, so no other worker reads or changes it while its maker appends to it.
     */
    Track* addTrack(std::string name, Building building = Building::No);
    /** The track with that id has been handed over by its maker: its claim goes. */
    void builtTrack(uint32_t id);

    /** @returns 0, or -1 for null or a track not in the list (nothing changes). */
    int setCurrent(Track* track);
    Track* current() const;

    /**
     * Destroys the track and erases it from the list. When it was the only track there
     * is no current track afterwards; when it was current, the first remaining track
     * becomes current; another current track stays current. A worker that holds the
     * track (BusyTracks) is waited for before the track is destroyed.
     * @returns 0, or -1 when the track is not in the list (nothing changes).
     */
    int removeTrack(Track* track);

    /**
     * Closing a tab: destroys the track with that id; afterwards the first remaining
     * track is current (none when it was the only one), whichever track was removed.
     * Waits for a worker that holds the track, as removeTrack().
     * @returns 0, or -1 for an unknown id (nothing changes).
     */
    int removeTrackById(uint32_t id);

private:
    using Tracks = std::vector<std::unique_ptr<Track>>;
    // Takes the track at it out of the list and fixes the current track. Caller holds mutex_.
    std::unique_ptr<Track> eraseLocked(Tracks::iterator it, bool firstBecomesCurrent);
    // Destroys a track taken out of the list once no worker holds it (BusyTracks), and
    // drops its claim when it was still being built.
    void destroyWhenFree(std::unique_ptr<Track> track);

    mutable std::mutex mutex_;
    uint32_t nextId_ = 0;
    Tracks tracks_;
    Track* current_ = nullptr;
    std::set<uint32_t> building_;  // ids of tracks claimed for their maker
};

}  // namespace wd
