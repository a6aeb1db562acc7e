#include "effects/repeat.h"

#include <algorithm>
#include <vector>

#include "effects/windowed_reader.h"
#include "model/track.h"

namespace wd {

bool Repeat::setParameters(const void* block) {
    if (block) copies_ = intWord(block, 4);
    return true;
}

Channel* Repeat::repeatedChannel(int index) const {
    Channel* c = index < track_->channelCount() ? track_->channel(index) : nullptr;
    return c && selectionSize(*c) > 0 ? c : nullptr;
}

Effect::Plan Repeat::plan() {
    if (copies_ < 0) return Plan::Refuse;
    Plan plan = Plan::Nothing;
    for (int i = 0; i < 2; ++i) {
        const Channel* c = repeatedChannel(i);
        if (!c || copies_ == 0) continue;
        const int64_t grown = static_cast<int64_t>(copies_) * selectionSize(*c);
        if (c->sequence().length() + grown > Sequence::kMaxLength) return Plan::Refuse;
        plan = Plan::Work;
    }
    return plan;
}

bool Repeat::process() {
    bool ok = true;
    for (int i = 0; i < 2; ++i) {
        if (Channel* c = repeatedChannel(i)) ok = repeatChannel(*c, c->selStart, selectionSize(*c)) && ok;
    }
    return ok;
}

bool Repeat::repeatChannel(Channel& channel, int start, int count) {
    Sequence& sequence = channel.sequence();
    if (sequence.beginInsert(start + count) != 0) return false;
    WindowedReader reader(sequence);
    std::vector<float> buffer(kChunk);
    const int64_t total = static_cast<int64_t>(copies_) * count;
    int64_t written = 0;
    for (int copy = 0; copy < copies_; ++copy) {
        // The splice is not in place until the commit: the selection still reads as before.
        for (int offset = 0; offset < count;) {
            const int n = std::min(kChunk, count - offset);
            if (!carryOn(sequence) || !readForSplice(reader, sequence, buffer.data(), start + offset, n)) return false;
            if (sequence.writeSplice(buffer.data(), n) != n) return false;
            offset += n;
            written += n;
            notifyProgress(written * 100 / total);
        }
    }
    return sequence.commitInsert() == 0;
}

}  // namespace wd
