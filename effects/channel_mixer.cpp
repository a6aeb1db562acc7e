#include "effects/channel_mixer.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "effects/windowed_reader.h"
#include "model/track.h"

namespace wd {

bool ChannelMixer::setParameters(const void* block) {
    if (block) {
        for (int i = 0; i < 4; ++i) weights_[i] = floatWord(block, i);
    }
    return true;
}

Effect::Plan ChannelMixer::plan() {
    if (track_->channelCount() != 2 || !track_->channel(1)) return Plan::Refuse;
    if (std::any_of(std::begin(weights_), std::end(weights_), [](float w) { return !std::isfinite(w); })) {
        return Plan::Refuse;
    }
    const Channel& left = *track_->channel(0);
    count_ = selectionSize(left);
    return count_ > 0 ? Plan::Work : Plan::Nothing;
}

bool ChannelMixer::process() {
    Sequence& left = track_->channel(0)->sequence();
    Sequence& right = track_->channel(1)->sequence();
    const int start = track_->channel(0)->selStart;
    auto abandon = [&] {
        left.cancelSplice();
        right.cancelSplice();
        return false;
    };
    if (left.beginOverwrite(start) != 0 || right.beginOverwrite(start) != 0) return abandon();
    const double ll = weights_[0], rl = weights_[1], lr = weights_[2], rr = weights_[3];
    WindowedReader leftReader(left), rightReader(right);
    std::vector<float> l(kChunk), r(kChunk);
    for (int done = 0; done < count_;) {
        if (stopRequested()) return abandon();
        const int n = std::min(kChunk, count_ - done);
        // The right channel may be shorter: it reads as silence past its end.
        const int rightHas = std::clamp(right.length() - (start + done), 0, n);
        std::fill(r.begin(), r.end(), 0.0f);
        if (leftReader.read(l.data(), start + done, n) != n ||
            rightReader.read(r.data(), start + done, rightHas) != rightHas) {
            return abandon();
        }
        for (size_t i = 0; i < static_cast<size_t>(n); ++i) {
            const double x = l[i], y = r[i];
            l[i] = static_cast<float>(x * ll + y * rl);
            r[i] = static_cast<float>(x * lr + y * rr);
        }
        if (left.writeSplice(l.data(), n) != n || right.writeSplice(r.data(), n) != n) return abandon();
        done += n;
        notifyProgress(static_cast<int64_t>(done) * 100 / count_);
    }
    if (left.commitOverwrite() != 0) return abandon();
    return right.commitOverwrite() == 0;
}

}  // namespace wd
