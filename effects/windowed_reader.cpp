#include "effects/windowed_reader.h"

#include <algorithm>
#include <cstring>

#include "model/sequence.h"

namespace wd {

int WindowedReader::read(float* dst, int position, int count) {
    if (count <= 0 || position < 0) return 0;
    const bool inside = position >= windowStart_ &&
                        position + static_cast<int64_t>(count) <= windowStart_ + static_cast<int64_t>(windowCount_);
    if (!inside) {
        if (count > kWindow) return sequence_.readSamples(dst, position, count);
        window_.resize(kWindow);
        // Going backwards the window ends with the piece asked for, else it starts with it.
        windowStart_ = position < windowStart_ ? std::max(0, position + count - kWindow) : position;
        windowCount_ = std::max(0, sequence_.readSamples(window_.data(), windowStart_, kWindow));
    }
    const int n = std::clamp(windowStart_ + windowCount_ - position, 0, count);
    if (n > 0) std::memcpy(dst, window_.data() + (position - windowStart_), static_cast<size_t>(n) * sizeof(float));
    return n;
}

}  // namespace wd
