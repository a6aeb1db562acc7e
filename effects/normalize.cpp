#include "effects/normalize.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "effects/windowed_reader.h"
#include "model/channel.h"

namespace wd {

bool Normalize::setParameters(const void* block) {
    if (block) target_ = floatWord(block, 0);
    return true;
}

Effect::Plan Normalize::plan() {
    return std::isfinite(target_) ? planForSelection() : Plan::Refuse;
}

bool Normalize::process() {
    bool ok = true;
    for (int i = 0; i < 2; ++i) {
        Channel* c = selectedChannel(i);
        if (c) ok = normalizeChannel(*c, c->selStart, selectionSize(*c)) && ok;
    }
    return ok;
}

bool Normalize::normalizeChannel(Channel& channel, int start, int count) {
    Sequence& sequence = channel.sequence();
    if (sequence.beginOverwrite(start) != 0) return false;
    WindowedReader reader(sequence);
    std::vector<float> buffer(kChunk);
    // Progress runs to 50 over the first pass and from 50 over the second.
    auto percent = [count](int64_t done) { return done / 2 * 100 / count; };
    for (int done = 0; done < count;) {
        const int n = std::min(kChunk, count - done);
        if (!carryOn(sequence) || !readForSplice(reader, sequence, buffer.data(), start + done, n)) return false;
        for (int i = 0; i < n; ++i) {
            minimum_ = std::min(minimum_, buffer[static_cast<size_t>(i)]);
            maximum_ = std::max(maximum_, buffer[static_cast<size_t>(i)]);
            sum_ += buffer[static_cast<size_t>(i)];
        }
        count_ += n;
        done += n;
        notifyProgress(percent(done));
    }
    const float offset = static_cast<float>(-sum_ / static_cast<double>(count_));
    const float a = std::fabs(offset + maximum_);
    const float b = std::fabs(offset + minimum_);
    const float peak = a >= b ? a : b;
    if (peak > 0) gain_ = target_ / static_cast<double>(peak);
    for (int done = 0; done < count;) {
        const int n = std::min(kChunk, count - done);
        if (!carryOn(sequence) || !readForSplice(reader, sequence, buffer.data(), start + done, n)) return false;
        for (int i = 0; i < n; ++i) {
            float& x = buffer[static_cast<size_t>(i)];
            x = static_cast<float>((static_cast<double>(x) + offset) * gain_);
        }
        if (sequence.writeSplice(buffer.data(), n) != n) return false;
        done += n;
        notifyProgress(percent(done) + 50);
    }
    return sequence.commitOverwrite() == 0;
}

}  // namespace wd
