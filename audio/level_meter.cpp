#include "audio/level_meter.h"

#include <algorithm>
#include <cstdlib>

namespace wd {

void LevelMeter::start(uint32_t bytesPerSecond, int bufferBytes) {
    // ceil((bps / 10) / bufferBytes) in exact integers; at least 1 so that a degenerate
    // format (no bytes per second) never divides by zero.
    const uint64_t denominator = 10u * static_cast<uint64_t>(std::max(bufferBytes, 1));
    const uint64_t interval = (bytesPerSecond + denominator - 1) / denominator;
    interval_ = static_cast<int>(std::max<uint64_t>(interval, 1));
    counter_ = 0;
    queue_.clear();
    queue_.reserve(static_cast<size_t>(interval_));
}

bool LevelMeter::measure(const int16_t* samples, int bytes, int channels, LevelRecord& result) {
    LevelRecord record;
    const int count = bytes / 4;  // stereo frames, or mono samples of the buffer's first half
    if (count > 0) {
        if (channels == 2) {
            int64_t sumLeft = 0, sumRight = 0;
            for (int i = 0; i < count; ++i) {
                const int left = std::abs(static_cast<int>(samples[2 * i]));
                const int right = std::abs(static_cast<int>(samples[2 * i + 1]));
                record.peakLeft = std::max(record.peakLeft, left);
                record.peakRight = std::max(record.peakRight, right);
                sumLeft += left;
                sumRight += right;
            }
            record.meanLeft = static_cast<int>(sumLeft / count);
            record.meanRight = static_cast<int>(sumRight / count);
        } else {
            int64_t sum = 0;
            for (int i = 0; i < count; ++i) {
                const int value = std::abs(static_cast<int>(samples[i]));
                record.peakLeft = std::max(record.peakLeft, value);
                sum += value;
            }
            record.meanLeft = static_cast<int>(sum / count);
            record.peakRight = record.peakLeft;
            record.meanRight = record.meanLeft;
        }
    }
    queue_.push_back(record);  // at most interval_ records: within the reserve
    const bool drain = counter_ % interval_ == 0;
    ++counter_;
    if (!drain) return false;
    result = queue_.front();
    for (size_t i = 1; i < queue_.size(); ++i) {
        const LevelRecord& next = queue_[i];
        result.peakLeft = std::max(result.peakLeft, next.peakLeft);
        result.peakRight = std::max(result.peakRight, next.peakRight);
        result.meanLeft = (result.meanLeft + next.meanLeft) >> 1;
        result.meanRight = (result.meanRight + next.meanRight) >> 1;
    }
    queue_.clear();
    return true;
}

}  // namespace wd
