#include "effects/mix_bus.h"

#include <algorithm>
#include <cmath>

#include "model/channel.h"

namespace wd {

void MixBus::addSource(const Channel* channel, int sourceRate, float gain) {
    auto source = std::make_unique<Source>();
    source->reader.open(channel, sourceRate, rate_);
    source->gain = gain;
    const int64_t n = channel->sequence().length();
    const int64_t atBusRate =
        sourceRate == rate_ ? n : static_cast<int64_t>(std::floor(static_cast<double>(n) * rate_ / sourceRate + 0.5));
    length_ = static_cast<int>(std::max<int64_t>(length_, std::min<int64_t>(atBusRate, INT32_MAX)));
    sources_.push_back(std::move(source));
}

int MixBus::read(float* dst, int count) {
    std::fill(dst, dst + count, 0.0f);
    buffer_.resize(static_cast<size_t>(count));
    int most = 0;
    for (auto& source : sources_) {
        if (source->done) continue;
        const int n = source->reader.read(buffer_.data(), count);
        if (n < count) {
            source->done = true;
            source->reader.close();
        }
        for (int i = 0; i < n; ++i) dst[i] += source->gain * buffer_[static_cast<size_t>(i)];
        most = std::max(most, n);
    }
    return most;
}

}  // namespace wd
