#include "audio/record_overview.h"

#include <algorithm>

namespace wd {

RecordOverview::RecordOverview()
    : minima_(static_cast<size_t>(kCapacityStep)), maxima_(static_cast<size_t>(kCapacityStep)) {
    pending_.reserve(kBlockSamples);
}

void RecordOverview::feed(const float* samples, int count) {
    for (int i = 0; i < count;) {
        const int n = std::min(count - i, kBlockSamples - static_cast<int>(pending_.size()));
        pending_.insert(pending_.end(), samples + i, samples + i + n);
        i += n;
        if (static_cast<int>(pending_.size()) == kBlockSamples) {
            const auto [low, high] = std::minmax_element(pending_.begin(), pending_.end());
            std::lock_guard lock(mutex_);
            append(*low, *high);
            pending_.clear();
        }
    }
}

void RecordOverview::finish() {
    if (pending_.empty()) return;
    const auto [low, high] = std::minmax_element(pending_.begin(), pending_.end());
    std::lock_guard lock(mutex_);
    append(*low, *high);
    pending_.clear();
}

void RecordOverview::append(float minimum, float maximum) {
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
