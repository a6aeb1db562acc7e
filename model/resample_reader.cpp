#include "model/resample_reader.h"

#include <algorithm>

#include "model/channel.h"

namespace wd {

ResampleReader::~ResampleReader() { close(); }

bool ResampleReader::setSource(const Channel* channel, int sourceRate) {
    if (!channel) return false;
    source_ = channel;
    sourceRate_ = sourceRate;
    return true;
}

bool ResampleReader::start(int targetRate, int startSample, int sampleCount) {
    close();
    targetRate_ = targetRate;
    const int length = source_ ? source_->sequence().length() : 0;
    startSample_ = std::max(startSample, 0);
    const int available = std::max(length - startSample_, 0);
    sampleCount_ = sampleCount < 0 || sampleCount > available ? available : sampleCount;
    consumed_ = 0;
    data_ = SRC_DATA{};
    data_.data_in = input_;
    data_.data_out = output_;
    data_.output_frames = kChunk;
    const double ratio = sourceRate_ > 0 ? static_cast<double>(targetRate_) / sourceRate_ : 0.0;
    data_.src_ratio = ratio;
    drained_ = true;
    if (source_ && targetRate_ > 0 && src_is_valid_ratio(ratio)) {
        int error = 0;
        converter_ = src_new(SRC_SINC_BEST_QUALITY, 1, &error);
        drained_ = converter_ == nullptr;
    }
    return true;
}

void ResampleReader::refill() {
    const int k = std::min(kChunk, sampleCount_ - consumed_);
    const int got = k > 0 ? source_->sequence().readSamples(input_, startSample_ + consumed_, k) : 0;
    consumed_ += k;
    data_.data_in = input_;
    data_.input_frames = std::max(got, 0);
    if (got < kChunk) data_.end_of_input = 1;
}

int ResampleReader::read(float* dst, int n) {
    if (!dst || n < 1) return 0;
    while (queue_.size() <= n && !drained_) {
        if (data_.input_frames == 0 && !data_.end_of_input) refill();
        // Once the input has ended the converter is called with no input until it has
        // given out the samples it still holds.
        if (src_process(converter_, &data_) != 0) {
            drained_ = true;
            break;
        }
        queue_.push(output_, static_cast<int>(data_.output_frames_gen));
        data_.input_frames -= data_.input_frames_used;
        data_.data_in += data_.input_frames_used;
        if (data_.end_of_input && data_.input_frames == 0 && data_.output_frames_gen == 0) drained_ = true;
    }
    return queue_.pop(dst, n);
}

void ResampleReader::close() {
    queue_.clear();
    if (converter_) converter_ = src_delete(converter_);
    drained_ = true;
}

}  // namespace wd
