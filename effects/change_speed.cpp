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
    return selectionSize(index);
}

int64_t ChangeSpeed::newCount(int count) const {
    return static_cast<int64_t>(std::floor(count * static_cast<double>(factor_) + 0.5));
}

int ChangeSpeed::targetRate() const {
    return static_cast<int>(std::floor(track_->sampleRate * static_cast<double>(factor_) + 0.5));
}

Effect::Plan ChangeSpeed::plan() {
    if (!std::isfinite(factor_) || factor_ < 1 / kMaxRatio || factor_ > kMaxRatio) return Plan::Refuse;
    // The rates set the converter's ratio: rounding the target rate must keep it in range.
    const double ratio = track_->sampleRate > 0 ? static_cast<double>(targetRate()) / track_->sampleRate : 0;
    if (ratio < 1 / kMaxRatio || ratio > kMaxRatio) return Plan::Refuse;
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
    // Both channels are replaced or neither: a splice is committed only once every
    // channel has been resampled whole.
    Sequence* open[2] = {nullptr, nullptr};
    auto abandon = [&] {
        for (Sequence* sequence : open) {
            if (sequence) sequence->cancelSplice();
        }
        return false;
    };
    int changed[2] = {-1, -1};
    for (int i = 0; i < 2; ++i) {
        const int n = countOf(i);
        if (n == 0) continue;
        Channel& c = *track_->channel(i);
        changed[i] = static_cast<int>(newCount(n));
        if (c.sequence().beginReplace(selectionStart(i), n) != 0) return abandon();
        open[i] = &c.sequence();
        if (!resampleChannel(c, selectionStart(i), n, changed[i])) return abandon();
    }
    for (Sequence*& sequence : open) {
        if (sequence && sequence->commitReplace() != 0) return abandon();
        sequence = nullptr;
    }
    std::copy(std::begin(changed), std::end(changed), std::begin(newLengths_));
    return true;
}

bool ChangeSpeed::resampleChannel(Channel& channel, int start, int count, int newCount) {
    // At the rates' ratio the converter gives n' within a sample per two seconds of
    // selection (the target rate's rounding); the end is padded or cut to n'.
    ResampleReader reader;
    reader.setSource(&channel, track_->sampleRate);
    reader.start(targetRate(), start, count);
    Sequence& sequence = channel.sequence();
    std::vector<float> buffer(kChunk);
    for (int written = 0; written < newCount;) {
        if (!carryOn(sequence)) return false;
        const int want = std::min(kChunk, newCount - written);
        const int got = reader.read(buffer.data(), want);
        if (reader.sourceFailed()) return false;
        std::fill(buffer.begin() + got, buffer.begin() + want, 0.0f);
        if (sequence.writeSplice(buffer.data(), want) != want) return false;
        written += want;
        notifyProgress(static_cast<int64_t>(written) * 100 / newCount);
    }
    return true;
}

void ChangeSpeed::complete(Track& track) {
    for (int i = 0; i < 2; ++i) {
        Channel* c = track.channel(i);
        if (c && newLengths_[i] >= 0) c->selLength = newLengths_[i];
    }
}

}  // namespace wd
