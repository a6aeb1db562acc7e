// Resamples the selection so that it plays longer and lower, or shorter and higher.
#pragma once

#include "effects/effect.h"

namespace wd {

/**
 * Id 12. Word 0: the length factor f (float, default 1.5). Each channel's selection (channel
 * 0 and 1 of a stereo track, selected or not) of n samples is replaced by exactly
 * n' = floor(n x f + 0.5) samples resampled by libsamplerate's best sinc converter from the
 * track's rate sr to sr' = floor(sr x f + 0.5), and its selection then covers them; the
 * track keeps its rate, so the selection plays f times slower and lower. A factor that is
 * not finite, outside libsamplerate's 1/256 to 256 (for f or sr' / sr), or that would empty
 * a selection or grow a channel past the longest sequence, is refused. A block that cannot
 * be read fails the effect with both channels unchanged. Progress is the truncated
 * percentage of n' written, per channel.
 */
class ChangeSpeed final : public Effect {
public:
    bool setParameters(const void* block) override;
    void complete(Track& track) override;

private:
    Plan plan() override;
    bool process() override;
    /** Writes n' resampled samples into the channel's open replace splice; false when the
     * source could not be read whole or a write failed. */
    bool resampleChannel(Channel& channel, int start, int count, int newCount);
    /** sr' for the track's rate. */
    int targetRate() const;
    /** The samples of channel i's selection (0 when it has none). */
    int countOf(int index) const;
    /** n' for a selection of n samples. */
    int64_t newCount(int count) const;

    float factor_ = 1.5f;
    int newLengths_[2] = {-1, -1};  // the selection lengths to set, -1 for none
};

}  // namespace wd
