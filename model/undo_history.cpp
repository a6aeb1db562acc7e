#include "model/undo_history.h"

namespace wd {

UndoHistory& UndoHistory::instance() {
    static UndoHistory* history = new UndoHistory;
    return *history;
}

void UndoHistory::addHistory(uint32_t id) {
    auto fresh = std::make_unique<TrackHistory>();
    std::lock_guard lock(mutex_);
    histories_[id].swap(fresh);
    // The history replaced (if any) is destroyed with `fresh` after the lock is released.
}

TrackHistory* UndoHistory::history(uint32_t id) const {
    std::lock_guard lock(mutex_);
    auto it = histories_.find(id);
    return it == histories_.end() ? nullptr : it->second.get();
}

bool UndoHistory::saveState(uint32_t id, const Track& track) {
    TrackHistory* h = history(id);
    return h && h->saveState(track);
}

bool UndoHistory::undo(uint32_t id, Track& track) {
    TrackHistory* h = history(id);
    return h && h->undo(track);
}

bool UndoHistory::redo(uint32_t id, Track& track) {
    TrackHistory* h = history(id);
    return h && h->redo(track);
}

bool UndoHistory::removeHistory(uint32_t id) {
    std::unique_ptr<TrackHistory> removed;
    {
        std::lock_guard lock(mutex_);
        auto it = histories_.find(id);
        if (it == histories_.end()) return false;
        removed = std::move(it->second);
        histories_.erase(it);
    }
    return true;
}

}  // namespace wd
