// Mixes every open track into the current one.
#pragma once

#include <memory>

#include "effects/effect.h"
#include "effects/mix_bus.h"

namespace wd {

/**
 * Id 7, with more than one track open: the current track T is overwritten from its first
 * sample with the sum of all open tracks, T included, each converted to T's rate. A stereo
 * T takes each track's channel of the same index (a mono track's only channel for both) at
 * full level; a mono T takes the sum of both buses at half level each, so a stereo track
 * adds 0.5 L + 0.5 R and a mono one adds itself. T grows when the mix is longer; nothing
 * is clipped. Progress is the rounded percentage of the longer bus written.
 */
class MixTracks final : public Effect {
public:
    /** Claims every open track, builds the two buses from them and starts the worker.
     * @returns false with fewer than two tracks, when one of them is busy, or when the
     *          worker cannot start. */
    bool run(Track* track) override;

private:
    Plan plan() override { return Plan::Work; }
    bool process() override;

    std::unique_ptr<MixBus> left_;
    std::unique_ptr<MixBus> right_;
};

}  // namespace wd
