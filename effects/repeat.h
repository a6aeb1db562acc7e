// Repeats the selection right after itself.
#pragma once

#include <cstdint>

#include "effects/effect.h"

namespace wd {

/**
 * Id 5: c copies of each channel's selection are inserted after it (channel 0 and, on a
 * stereo track, channel 1, selected or not); the channel grows by c x n samples and the
 * selection stays where it was. A selection that reaches the end of the channel is repeated
 * at the end. Word 4: the copies (int, default 1). Fewer than 0 copies, or a channel that
 * would grow past the longest sequence, is refused; 0 copies change nothing.
 */
class Repeat final : public Effect {
public:
    bool setParameters(const void* block) override;

private:
    Plan plan() override;
    bool process() override;
    bool repeatChannel(Channel& channel, int start, int count);
    /** The channel when it has a selection to repeat. */
    Channel* repeatedChannel(int index) const;

    int32_t copies_ = 1;
};

}  // namespace wd
