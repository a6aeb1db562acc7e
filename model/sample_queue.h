// A first-in, first-out store of float samples that grows as needed.
#pragma once

#include <memory>

namespace wd {

/**
 * Absorbs the difference between what a producer makes and what a consumer asks for.
 * Capacity grows in steps of 2048 values (the first push allocates 2048), keeping the
 * values in order. One thread at a time.
 */
class SampleQueue {
public:
    static constexpr int kGrowth = 2048;

    /** Appends count values (nothing for count < 1). */
    void push(const float* values, int count);
    /** Takes up to count values from the front into dst, in order; the rest move to the
     * front. @returns the values taken: min(count, size()), 0 when empty. */
    int pop(float* dst, int count);
    int size() const { return size_; }
    int capacity() const { return capacity_; }
    /** Empties the queue and frees its storage. */
    void clear();

private:
    std::unique_ptr<float[]> values_;
    int size_ = 0;
    int capacity_ = 0;
};

}  // namespace wd
