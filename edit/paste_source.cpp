#include "edit/paste_source.h"

#include <algorithm>

#include "model/channel.h"

namespace wd {

PasteSource::PasteSource(const Channel* left, const Channel* right, int clipRate, int trackRate)
    : channels_{left, right}, sameRate_(clipRate == trackRate) {
    for (int i = 0; i < 2; ++i) {
        if (!channels_[i]) continue;
        const int64_t length = channels_[i]->sequence().length();
        length_ = std::max(length_, length);
        if (sameRate_) continue;
        if (clipRate > 0) expected_ = std::max(expected_, length * trackRate / clipRate);
        readers_[i] = std::make_unique<ResampleReader>();
        readers_[i]->setSource(channels_[i], clipRate);
        readers_[i]->start(trackRate, 0, -1);
    }
    if (sameRate_) more_ = length_ > 0;
}

int PasteSource::next(float* left, float* right) {
    float* out[2] = {left, right};
    int count = 0;
    if (sameRate_) {
        count = static_cast<int>(std::min<int64_t>(kChunk, length_ - offset_));
        for (int i = 0; i < 2; ++i) {
            if (!channels_[i]) continue;
            std::fill_n(out[i], count, 0.0f);
            channels_[i]->sequence().readSamples(out[i], static_cast<int>(offset_), count);
        }
        offset_ += count;
        more_ = offset_ < length_;
        return count;
    }
    more_ = false;
    for (int i = 0; i < 2; ++i) {
        if (!readers_[i]) continue;
        std::fill_n(out[i], kChunk, 0.0f);
        const int got = readers_[i]->read(out[i], kChunk);
        count = std::max(count, got);
        if (got == kChunk) more_ = true;
    }
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
    for (auto& reader : readers_) {
        if (reader) reader->close();
    }
}

}  // namespace wd
