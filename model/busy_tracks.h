// Which tracks have a worker running on them, so that nothing else starts work there.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <set>

namespace wd {

class Track;

/**
 * Process-wide set of the ids of tracks on which a worker (a cut, copy or paste, an effect)
 * runs. The export that starts a worker claims the track first (TrackClaim) and refuses
 * with its failure result when the track is claimed already; the worker releases the claim
 * as its last touch of the track, before it posts its end messages. Exports that change a
 * track at once (the in-place edits, undo and redo) refuse while it is claimed. Removing a
 * track from the TrackList waits until its claim is released, so a worker never finds
 * its track destroyed under it: a worker must therefore never wait for the user-interface
 * thread (SendMessage) while it holds a claim. Ids are never reused, so a claim can
 * outlive its track. Any thread.
 */
class BusyTracks {
public:
    static BusyTracks& instance();

    /** @returns false when the track is claimed already. */
    bool tryClaim(uint32_t id);
    void release(uint32_t id);
    bool isBusy(uint32_t id) const;
    /** Marks the claim as no longer touching the track: waitUntilFree() stops waiting for
     * it, while the track stays refused to other claims until release(). */
    void settle(uint32_t id);
    /** Returns once no worker holds the track, or its claim is settled. */
    void waitUntilFree(uint32_t id) const;

private:
    BusyTracks() = default;

    mutable std::mutex mutex_;
    mutable std::condition_variable released_;
    std::set<uint32_t> busy_;
    std::set<uint32_t> settled_;  // claimed, but the holder touches the track no more
};

/**
 * One worker's claim on a track: taken by the export on the user-interface thread, moved
 * into the worker, released by release() or when destroyed. An empty claim holds nothing.
 */
class TrackClaim {
public:
    TrackClaim() = default;
    /** Claims the track; an empty claim when it is busy already. */
    static TrackClaim tryClaim(const Track& track);
    ~TrackClaim() { release(); }
    TrackClaim(TrackClaim&& other) noexcept;
    TrackClaim& operator=(TrackClaim&& other) noexcept;
    TrackClaim(const TrackClaim&) = delete;
    TrackClaim& operator=(const TrackClaim&) = delete;

    explicit operator bool() const { return held_; }
    void release();
    /** Keeps the claim but lets the track be removed (BusyTracks::settle): for a worker that
     * is done with the track and waits for the user-interface thread to take its result. */
    void settle() const;

private:
    explicit TrackClaim(uint32_t id) : id_(id), held_(true) {}

    uint32_t id_ = 0;
    bool held_ = false;
};

}  // namespace wd
