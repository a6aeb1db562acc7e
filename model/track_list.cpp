#include "model/track_list.h"

#include <algorithm>

#include "model/busy_tracks.h"

namespace wd {

TrackList& TrackList::instance() {
    static TrackList* list = new TrackList;
    return *list;
}

int TrackList::count() const {
    std::lock_guard lock(mutex_);
    return static_cast<int>(tracks_.size());
}

Track* TrackList::trackAt(int index) const {
    std::lock_guard lock(mutex_);
    if (index < 0 || index >= static_cast<int>(tracks_.size())) return nullptr;
    return tracks_[static_cast<size_t>(index)].get();
}

Track* TrackList::findById(uint32_t id) const {
    std::lock_guard lock(mutex_);
    for (const auto& t : tracks_) {
        if (t->id() == id) return t.get();
    }
    return nullptr;
}

Track* TrackList::addTrack(std::string name, Building building) {
    auto track = std::make_unique<Track>();
    track->setName(std::move(name));
    std::lock_guard lock(mutex_);
    const uint32_t id = nextId_++;
    track->setId(id);
    if (building == Building::Yes) {
        // A fresh id: the claim cannot be refused.
        BusyTracks::instance().tryClaim(id);
        BusyTracks::instance().settle(id);
        building_.insert(id);
    }
    tracks_.push_back(std::move(track));
    return tracks_.back().get();
}

void TrackList::builtTrack(uint32_t id) {
    std::lock_guard lock(mutex_);
    if (building_.erase(id) != 0) BusyTracks::instance().release(id);
}

int TrackList::setCurrent(Track* track) {
    std::lock_guard lock(mutex_);
    if (!track || std::none_of(tracks_.begin(), tracks_.end(), [&](const auto& t) { return t.get() == track; })) return -1;
    current_ = track;
    return 0;
}

Track* TrackList::current() const {
    std::lock_guard lock(mutex_);
    return current_;
}

std::unique_ptr<Track> TrackList::eraseLocked(Tracks::iterator it, bool firstBecomesCurrent) {
    std::unique_ptr<Track> removed = std::move(*it);
    tracks_.erase(it);
    if (tracks_.empty()) {
        current_ = nullptr;
    } else if (firstBecomesCurrent || current_ == removed.get()) {
        current_ = tracks_.front().get();
    }
    return removed;
}

void TrackList::destroyWhenFree(std::unique_ptr<Track> track) {
    // Outside the lock: a worker may still finish its last steps on the track, and
    // releasing its blocks deletes files.
    const uint32_t id = track->id();
    BusyTracks::instance().waitUntilFree(id);
    track.reset();
    builtTrack(id);
}

int TrackList::removeTrack(Track* track) {
    std::unique_ptr<Track> removed;
    {
        std::lock_guard lock(mutex_);
        auto it = std::find_if(tracks_.begin(), tracks_.end(), [&](const auto& t) { return t.get() == track; });
        if (!track || it == tracks_.end()) return -1;
        removed = eraseLocked(it, false);
    }
    destroyWhenFree(std::move(removed));
    return 0;
}

int TrackList::removeTrackById(uint32_t id) {
    std::unique_ptr<Track> removed;
    {
        std::lock_guard lock(mutex_);
        auto it = std::find_if(tracks_.begin(), tracks_.end(), [&](const auto& t) { return t->id() == id; });
        if (it == tracks_.end()) return -1;
        removed = eraseLocked(it, true);
    }
    destroyWhenFree(std::move(removed));
    return 0;
}

}  // namespace wd
