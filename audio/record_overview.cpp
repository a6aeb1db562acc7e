#include "audio/record_overview.h"

#include <algorithm>

namespace wd {

RecordOverview::RecordOverview()
    : minima_(static_cast<size_t>(kCapacityStep)), maxima_(static_cast<size_t>(kCapacityStep)) {}

void RecordOverview::feed(const float* samples, int count) {
    for (int i = 0; i < count; ++i) {
        const float x = samples[i];
        if (pending_ == 0 || x < pendingMinimum_) pendingMinimum_ = x;
        if (pending_ == 0 || x > pendingMaximum_) pendingMaximum_ = x;
        if (++pending_ == kBlockSamples) {
            appendPair(pendingMinimum_, pendingMaximum_);
            pending_ = 0;
        }
    }
}

void RecordOverview::finish() {
    if (pending_ == 0) return;
    appendPair(pendingMinimum_, pendingMaximum_);
    pending_ = 0;
}

void RecordOverview::appendPair(float minimum, float maximum) {
    std::lock_guard lock(mutex_);
    if (count_ == static_cast<int>(minima_.size())) {
        minima_.resize(minima_.size() + kCapacityStep);
        maxima_.resize(maxima_.size() + kCapacityStep);
    }
    minima_[static_cast<size_t>(count_)] = minimum;
    maxima_[static_cast<size_t>(count_)] = maximum;
    ++count_;
}

int RecordOverview::pairCount() const {
    std::lock_guard lock(mutex_);
    return count_;
}

int RecordOverview::capacity() const {
    std::lock_guard lock(mutex_);
    return static_cast<int>(minima_.size());
}

int RecordOverview::pairs(int first, int count, float* minima, float* maxima) const {
    std::lock_guard lock(mutex_);
    const int n = std::clamp(count_ - first, 0, std::max(count, 0));
    if (first < 0 || n == 0) return 0;
    std::copy_n(minima_.begin() + first, n, minima);
    std::copy_n(maxima_.begin() + first, n, maxima);
    return n;
}

}  // namespace wd
