#include "model/sample_queue.h"

#include <algorithm>
#include <cstring>

namespace wd {

void SampleQueue::push(const float* values, int count) {
    if (!values || count < 1) return;
    if (size_ + count > capacity_) {
        int grown = capacity_;
        while (grown <= size_ + count) grown += kGrowth;
        auto bigger = std::make_unique_for_overwrite<float[]>(static_cast<size_t>(grown));
        if (size_ > 0) std::memcpy(bigger.get(), values_.get(), static_cast<size_t>(size_) * sizeof(float));
        values_ = std::move(bigger);
        capacity_ = grown;
    }
    std::memcpy(values_.get() + size_, values, static_cast<size_t>(count) * sizeof(float));
    size_ += count;
}

int SampleQueue::pop(float* dst, int count) {
    const int taken = std::min(std::max(count, 0), size_);
    if (taken == 0 || !dst) return 0;
    std::memcpy(dst, values_.get(), static_cast<size_t>(taken) * sizeof(float));
    size_ -= taken;
    if (size_ > 0) std::memmove(values_.get(), values_.get() + taken, static_cast<size_t>(size_) * sizeof(float));
    return taken;
}

void SampleQueue::clear() {
    values_.reset();
    size_ = 0;
    capacity_ = 0;
}

}  // namespace wd
