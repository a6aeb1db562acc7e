// Reads a whole channel at another track's rate, for the effects that combine or convert channels.
#pragma once

#include <memory>

#include "effects/windowed_reader.h"
#include "model/resample_reader.h"

namespace wd {

class Channel;

/**
 * Reads a channel from its first sample on, at targetRate: directly when that is the
 * channel's own rate, else through a ResampleReader. Belongs to one worker; the channel
 * must not change while it reads.
 */
class ChannelSource {
public:
    void open(const Channel* channel, int sourceRate, int targetRate);
    /** Up to n samples into dst: n until the channel is used up, then fewer, then 0. */
    int read(float* dst, int n);
    void close();

private:
    const Channel* channel_ = nullptr;
    bool resampled_ = false;
    int position_ = 0;
    std::unique_ptr<WindowedReader> direct_;
    ResampleReader reader_;
};

}  // namespace wd
