#include "model/track_history.h"

#include <algorithm>
#include <utility>

namespace wd {

TrackHistory::~TrackHistory() = default;

std::unique_ptr<Track> TrackHistory::copyOf(const Track& track) {
    auto copy = std::make_unique<Track>();
    copy->assignFrom(&track);
    return copy;
}

bool TrackHistory::saveState(const Track& track) {
    auto state = copyOf(track);
    std::lock_guard lock(mutex_);
    undoStates_.push_back(std::move(state));
    return true;
}

bool TrackHistory::canUndo() const {
    std::lock_guard lock(mutex_);
    return !undoStates_.empty();
}

bool TrackHistory::canRedo() const {
    std::lock_guard lock(mutex_);
    return !redoStates_.empty();
}

int TrackHistory::undoCount() const {
    std::lock_guard lock(mutex_);
    return static_cast<int>(undoStates_.size());
}

int TrackHistory::redoCount() const {
    std::lock_guard lock(mutex_);
    return static_cast<int>(redoStates_.size());
}

bool TrackHistory::step(Track& track, States& from, States& to) {
    if (from.empty()) return false;
    to.push_back(copyOf(track));
    std::unique_ptr<Track> last = std::move(from.back());
    from.pop_back();
    track.assignFrom(last.get());
    // Destroying the state drops its references; the track now holds its own.
    return true;
}

bool TrackHistory::undo(Track& track) {
    std::lock_guard lock(mutex_);
    return step(track, undoStates_, redoStates_);
}

bool TrackHistory::redo(Track& track) {
    std::lock_guard lock(mutex_);
    return step(track, redoStates_, undoStates_);
}

bool TrackHistory::withdrawState(Track& track) {
    std::unique_ptr<Track> last;
    {
        std::lock_guard lock(mutex_);
        if (undoStates_.empty()) return false;
        last = std::move(undoStates_.back());
        undoStates_.pop_back();
    }
    for (int i = 0; i < std::min(track.channelCount(), last->channelCount()); ++i) {
        Channel* to = track.channel(i);
        const Channel* from = last->channel(i);
        if (to && from) to->sequence().assignFrom(&from->sequence());
    }
    return true;
}

void TrackHistory::clearRedo() {
    States dropped;
    {
        std::lock_guard lock(mutex_);
        dropped.swap(redoStates_);
    }
}

void TrackHistory::visitStates(const std::function<void(const Track&, bool)>& visit) const {
    std::lock_guard lock(mutex_);
    for (const auto& state : undoStates_) visit(*state, false);
    for (const auto& state : redoStates_) visit(*state, true);
}

void TrackHistory::adoptStates(std::vector<std::unique_ptr<Track>> undo, std::vector<std::unique_ptr<Track>> redo) {
    std::lock_guard lock(mutex_);
    for (auto& state : undo) undoStates_.push_back(std::move(state));
    for (auto& state : redo) redoStates_.push_back(std::move(state));
}

}  // namespace wd
