// The sum of channels of several tracks at one rate, read in chunks.
#pragma once

#include <memory>
#include <vector>

#include "effects/channel_source.h"

namespace wd {

class Channel;

/**
 * A list of sources (channels of any rate, each with a gain) summed at the bus rate. A
 * source is read from its first sample; one that comes to its end drops out. Belongs to
 * one worker; the channels must not change while it reads.
 */
class MixBus {
public:
    explicit MixBus(int rate) : rate_(rate) {}

    /** Adds a channel made at sourceRate (samples converted to the bus rate when it differs). */
    void addSource(const Channel* channel, int sourceRate, float gain);
    /** The longest source in samples at the bus rate. */
    int length() const { return length_; }
    /**
     * Fills dst with the sum of the next count samples of every source still running.
     * @returns the most samples any source gave (0 once all have ended); dst holds zeros
     *          past it.
     */
    int read(float* dst, int count);

private:
    struct Source {
        ChannelSource reader;
        float gain = 0;
        bool done = false;
    };

    int rate_;
    int length_ = 0;
    std::vector<std::unique_ptr<Source>> sources_;
    std::vector<float> buffer_;
};

}  // namespace wd
