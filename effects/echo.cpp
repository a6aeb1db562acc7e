#include "effects/echo.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "effects/windowed_reader.h"
#include "model/channel.h"

namespace wd {

bool Echo::setParameters(const void* block) {
    if (block) {
        decay_ = floatWord(block, 0);
        delayMs_ = intWord(block, 4);
    }
    return true;
}

Effect::Plan Echo::plan() {
    if (!std::isfinite(decay_) || delayMs_ < 0) return Plan::Refuse;
    delay_ = static_cast<int64_t>(delayMs_) * channelRate(0) / 1000;
    for (int i = 0; i < 2; ++i) {
        const Channel* c = selectedChannel(i);
        if (c && delay_ > 0 && selectionSize(*c) > delay_) return Plan::Work;
    }
    return Plan::Nothing;
}

bool Echo::process() {
    bool ok = true;
    for (int i = 0; i < 2; ++i) {
        Channel* c = selectedChannel(i);
        const int n = c ? selectionSize(*c) : 0;
        if (n > delay_) ok = echoChannel(*c, c->selStart, n) && ok;
    }
    return ok;
}

bool Echo::echoChannel(Channel& channel, int start, int count) {
    Sequence& sequence = channel.sequence();
    if (sequence.beginOverwrite(start) != 0) return false;
    WindowedReader reader(sequence);
    const int d = static_cast<int>(delay_);  // below count, so it fits
    const double decay = decay_;
    // previous[j] is the output D samples back, for the j-th sample of a D-sample chunk.
    std::vector<float> previous(static_cast<size_t>(d), 0.0f);
    std::vector<float> buffer(kChunk);
    int done = 0;
    int chunks = 0;
    while (done < count) {
        const int chunk = std::min(d, count - done);
        for (int j = 0; j < chunk;) {
            const int n = std::min(kChunk, chunk - j);
            if (!carryOn(sequence) || !readForSplice(reader, sequence, buffer.data(), start + done + j, n)) return false;
            for (int i = 0; i < n; ++i) {
                float& y = previous[static_cast<size_t>(j + i)];
                y = static_cast<float>(buffer[static_cast<size_t>(i)] + decay * y);
                buffer[static_cast<size_t>(i)] = y;
            }
            if (sequence.writeSplice(buffer.data(), n) != n) return false;
            j += n;
        }
        done += chunk;
        if (done < count) notifyProgress(static_cast<int64_t>(++chunks) * d * 100 / count);
    }
    if (sequence.commitOverwrite() != 0) return false;
    notifyProgress(static_cast<int64_t>(chunks) * d * 100 / count);
    return true;
}

}  // namespace wd
