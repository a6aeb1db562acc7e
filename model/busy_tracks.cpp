#include "model/busy_tracks.h"

#include <utility>

#include "model/track.h"

namespace wd {

BusyTracks& BusyTracks::instance() {
    static BusyTracks* tracks = new BusyTracks;
    return *tracks;
}

bool BusyTracks::tryClaim(uint32_t id) {
    std::lock_guard lock(mutex_);
    return busy_.insert(id).second;
}

void BusyTracks::release(uint32_t id) {
    {
        std::lock_guard lock(mutex_);
        busy_.erase(id);
        settled_.erase(id);
    }
    released_.notify_all();
}

bool BusyTracks::isBusy(uint32_t id) const {
    std::lock_guard lock(mutex_);
    return busy_.count(id) != 0;
}

void BusyTracks::settle(uint32_t id) {
    {
        std::lock_guard lock(mutex_);
        if (busy_.count(id) != 0) settled_.insert(id);
    }
    released_.notify_all();
}

void BusyTracks::waitUntilFree(uint32_t id) const {
    std::unique_lock lock(mutex_);
    released_.wait(lock, [&] { return busy_.count(id) == 0 || settled_.count(id) != 0; });
}

TrackClaim TrackClaim::tryClaim(const Track& track) {
    return BusyTracks::instance().tryClaim(track.id()) ? TrackClaim(track.id()) : TrackClaim();
}

TrackClaim::TrackClaim(TrackClaim&& other) noexcept : id_(other.id_), held_(std::exchange(other.held_, false)) {}

TrackClaim& TrackClaim::operator=(TrackClaim&& other) noexcept {
    if (this != &other) {
        release();
        id_ = other.id_;
        held_ = std::exchange(other.held_, false);
    }
    return *this;
}

void TrackClaim::settle() const {
    if (held_) BusyTracks::instance().settle(id_);
}

void TrackClaim::release() {
    if (held_) BusyTracks::instance().release(id_);
    held_ = false;
}

}  // namespace wd
