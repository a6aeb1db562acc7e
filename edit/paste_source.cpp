#include "edit/paste_source.h"

#include <algorithm>

#include "model/channel.h"

namespace wd {

PasteSource::PasteSource(const Channel* left, const Channel* right, int clipRate, int trackRate)
    : channels_{left, right}, sameRate_(clipRate == trackRate) {
    for (const Channel* c : channels_) {
        if (!c) continue;
        const int64_t length = c->sequence().length();
        length_ = std::max(length_, length);
        if (!sameRate_ && clipRate > 0) expected_ = std::max(expected_, length * trackRate / clipRate);
    }
    if (sameRate_) {
        more_ = length_ > 0;
        return;
    }
    // Both channels through one converter: it shares its filter work between them.
    reader_ = std::make_unique<ResampleReader>();
    if (right) {
        reader_->setSources(left, right, clipRate);
    } else {
        reader_->setSource(left, clipRate);
    }
    reader_->start(trackRate, 0, -1);
}

int PasteSource::next(float* left, float* right) {
    if (sameRate_) {
        const int count = static_cast<int>(std::min<int64_t>(kChunk, length_ - offset_));
        float* out[2] = {left, right};
        for (int i = 0; i < 2; ++i) {
            if (!channels_[i]) continue;
            std::fill_n(out[i], count, 0.0f);
            channels_[i]->sequence().readSamples(out[i], static_cast<int>(offset_), count);
        }
        offset_ += count;
        more_ = offset_ < length_;
        return count;
    }
    const int count = channels_[1] ? reader_->read(left, right, kChunk) : reader_->read(left, kChunk);
    more_ = count == kChunk;
    return count;
}

int64_t PasteSource::percentAfter(int64_t written, int count) const {
    if (sameRate_) return percentAfter(written, count, length_);
    return expected_ > 0 ? written * 100 / expected_ : 100;
}

int64_t PasteSource::percentAfter(int64_t end, int count, int64_t n) {
    if (n <= 0) return 100;
    return (end == n ? end - count : end) * 100 / n;
}

void PasteSource::close() {
    if (reader_) reader_->close();
}

}  // namespace wd
