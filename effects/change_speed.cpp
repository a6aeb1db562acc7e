#include "effects/change_speed.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "model/resample_reader.h"
#include "model/track.h"

namespace wd {
namespace {

// libsamplerate's range of conversion ratios.
constexpr double kMaxRatio = 256;

}  // namespace

bool ChangeSpeed::setParameters(const void* block) {
    if (block) factor_ = floatWord(block, 0);
    return true;
}

int ChangeSpeed::countOf(int index) const {
    const Channel* c = index < track_->channelCount() ? track_->channel(index) : nullptr;
    return c ? selectionSize(*c) : 0;
}

int64_t ChangeSpeed::newCount(int count) const {
    return static_cast<int64_t>(std::floor(count * static_cast<double>(factor_) + 0.5));
}

Effect::Plan ChangeSpeed::plan() {
    if (!std::isfinite(factor_) || factor_ < 1 / kMaxRatio || factor_ > kMaxRatio) return Plan::Refuse;
    Plan plan = Plan::Nothing;
    for (int i = 0; i < 2; ++i) {
        const int n = countOf(i);
        if (n == 0) continue;
        const int64_t grown = track_->channel(i)->sequence().length() - n + newCount(n);
        if (newCount(n) < 1 || grown > Sequence::kMaxLength) return Plan::Refuse;
        plan = Plan::Work;
    }
    return plan;
}

bool ChangeSpeed::process() {
    bool ok = true;
    for (int i = 0; i < 2; ++i) {
        const int n = countOf(i);
        if (n == 0) continue;
        Channel& c = *track_->channel(i);
        const int changed = static_cast<int>(newCount(n));
        if (resampleChannel(c, c.selStart, n, changed)) {
            newLengths_[i] = changed;
        } else {
            ok = false;
        }
    }
    return ok;
}

bool ChangeSpeed::resampleChannel(Channel& channel, int start, int count, int newCount) {
    // The rates only set the ratio: with n and n' as the rates the result has n' samples
    // within the converter's rounding of a sample or two, which the end pads or cuts.
    ResampleReader reader;
    reader.setSource(&channel, count);
    reader.start(newCount, start, count);
    Sequence& sequence = channel.sequence();
    if (sequence.beginReplace(start, count) != 0) return false;
    std::vector<float> buffer(kChunk);
    for (int written = 0; written < newCount;) {
        if (!carryOn(sequence)) return false;
        const int want = std::min(kChunk, newCount - written);
        const int got = reader.read(buffer.data(), want);
        std::fill(buffer.begin() + got, buffer.begin() + want, 0.0f);
        if (sequence.writeSplice(buffer.data(), want) != want) return false;
        written += want;
        notifyProgress(static_cast<int64_t>(written) * 100 / newCount);
    }
    return sequence.commitReplace() == 0;
}

void ChangeSpeed::complete(Track& track) {
    for (int i = 0; i < 2; ++i) {
        Channel* c = track.channel(i);
        if (c && newLengths_[i] >= 0) c->selLength = newLengths_[i];
    }
}

}  // namespace wd
