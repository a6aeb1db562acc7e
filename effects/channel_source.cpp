#include "effects/channel_source.h"

#include "model/channel.h"

namespace wd {

void ChannelSource::open(const Channel* channel, int sourceRate, int targetRate) {
    channel_ = channel;
    position_ = 0;
    resampled_ = sourceRate != targetRate;
    if (resampled_) {
        reader_.setSource(channel, sourceRate);
        reader_.start(targetRate, 0, -1);
    } else {
        direct_ = std::make_unique<WindowedReader>(channel->sequence());
    }
}

int ChannelSource::read(float* dst, int n) {
    if (!channel_) return 0;
    if (resampled_) return reader_.read(dst, n);
    const int got = direct_->read(dst, position_, n);
    position_ += got;
    return got;
}

void ChannelSource::close() {
    reader_.close();
    direct_.reset();
    channel_ = nullptr;
}

}  // namespace wd
