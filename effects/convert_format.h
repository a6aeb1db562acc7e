// Converts the whole track to another sample rate and channel count.
#pragma once

#include <cstdint>
#include <memory>

#include "effects/effect.h"

namespace wd {

/**
 * Id 22. Words (the rate a float, the rest ints): 0 the new rate in Hz (rounded to the
 * nearest integer, default 44100), 4 the channel count 1 or 2 (default 2), 5 the mix-down
 * mode for stereo to mono (0 left, 1 right, 2 weighted sum; default 0), 6 and 7 the first
 * and second weight in percent (default 100 and 100), used by mode 2 and by mono to stereo
 * (left = mono x w1 / 100, right = mono x w2 / 100).
 *
 * The worker builds new channels from the whole track, through libsamplerate's best sinc
 * converter when the rate changes; the user-interface thread installs them in complete()
 * with the new rate and count, keeps channel 0's selection and fits the view. A rate that
 * is not a positive number, a ratio outside libsamplerate's 1/256 to 256, a channel count
 * other than 1 or 2, an unknown mode, or a result past the longest sequence is refused;
 * the same rate and channel count change nothing. Progress is the truncated percentage of
 * the expected new length.
 */
class ConvertFormat final : public Effect {
public:
    ConvertFormat();
    ~ConvertFormat() override;
    bool setParameters(const void* block) override;
    void complete(Track& track) override;

private:
    Plan plan() override;
    bool process() override;

    float rateWord_ = 44100.0f;
    int32_t channels_ = 2;
    int32_t mode_ = 0;
    int32_t weights_[2] = {100, 100};
    int newRate_ = 0;
    int64_t expected_ = 0;  // samples, for progress
    std::unique_ptr<Channel> built_[2];
    bool ready_ = false;
};

}  // namespace wd
