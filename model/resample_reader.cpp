#include "model/resample_reader.h"

#include <algorithm>

#include "model/channel.h"

namespace wd {

ResampleReader::~ResampleReader() { close(); }

bool ResampleReader::setSource(const Channel* channel, int sourceRate) {
    if (!channel) return false;
    sources_[0] = channel;
    sources_[1] = nullptr;
    channels_ = 1;
    sourceRate_ = sourceRate;
    return true;
}

bool ResampleReader::setSources(const Channel* first, const Channel* second, int sourceRate) {
    if (!first || !second) return false;
    sources_[0] = first;
    sources_[1] = second;
    channels_ = 2;
    sourceRate_ = sourceRate;
    return true;
}

bool ResampleReader::start(int targetRate, int startSample, int sampleCount) {
    close();
    targetRate_ = targetRate;
    int length = 0;
    for (int c = 0; c < channels_; ++c) length = std::max(length, sources_[c]->sequence().length());
    startSample_ = std::max(startSample, 0);
    const int available = std::max(length - startSample_, 0);
    sampleCount_ = sampleCount < 0 || sampleCount > available ? available : sampleCount;
    consumed_ = 0;
    sourceFailed_ = false;
    data_ = SRC_DATA{};
    data_.data_in = input_;
    data_.data_out = output_;
    data_.output_frames = kChunk;
    const double ratio = sourceRate_ > 0 ? static_cast<double>(targetRate_) / sourceRate_ : 0.0;
    data_.src_ratio = ratio;
    drained_ = true;
    if (channels_ > 0 && targetRate_ > 0 && src_is_valid_ratio(ratio)) {
        int error = 0;
        converter_ = src_new(SRC_SINC_BEST_QUALITY, channels_, &error);
        drained_ = converter_ == nullptr;
    }
    return true;
}

void ResampleReader::refill() {
    const int k = std::min(kChunk, sampleCount_ - consumed_);
    const int at = startSample_ + consumed_;
    int got = 0;
    if (channels_ == 1) {
        got = k > 0 ? sources_[0]->sequence().readSamples(input_, at, k) : 0;
        if (got < k) sourceFailed_ = true;
    } else if (k > 0) {
        // Interleaved; a channel that ends (or fails) early reads as silence.
        for (int c = 0; c < 2; ++c) {
            const Sequence& sequence = sources_[c]->sequence();
            const int n = std::max(sequence.readSamples(piece_, at, k), 0);
            if (n < std::clamp(sequence.length() - at, 0, k)) sourceFailed_ = true;
            std::fill(piece_ + n, piece_ + k, 0.0f);
            for (int i = 0; i < k; ++i) input_[2 * i + c] = piece_[i];
            got = std::max(got, n);
        }
    }
    consumed_ += k;
    data_.data_in = input_;
    data_.input_frames = std::max(got, 0);
    if (got < kChunk) data_.end_of_input = 1;
}

int ResampleReader::readFrames(float* dst, int frames) {
    const int values = frames * channels_;
    while (queue_.size() <= values && !drained_) {
        if (data_.input_frames == 0 && !data_.end_of_input) refill();
        // Once the input has ended the converter is called with no input until it has
        // given out the samples it still holds.
        if (src_process(converter_, &data_) != 0) {
            sourceFailed_ = true;
            drained_ = true;
            break;
        }
        queue_.push(output_, static_cast<int>(data_.output_frames_gen) * channels_);
        data_.input_frames -= data_.input_frames_used;
        data_.data_in += data_.input_frames_used * channels_;
        if (data_.end_of_input && data_.input_frames == 0 && data_.output_frames_gen == 0) drained_ = true;
    }
    return queue_.pop(dst, values) / std::max(channels_, 1);
}

int ResampleReader::read(float* dst, int n) {
    if (!dst || n < 1 || channels_ != 1) return 0;
    return readFrames(dst, n);
}

int ResampleReader::read(float* first, float* second, int n) {
    if (!first || !second || n < 1 || channels_ != 2) return 0;
    float frames[2 * kChunk];
    int done = 0;
    while (done < n) {
        const int want = std::min(kChunk, n - done);
        const int got = readFrames(frames, want);
        for (int i = 0; i < got; ++i) {
            first[done + i] = frames[2 * i];
            second[done + i] = frames[2 * i + 1];
        }
        done += got;
        if (got < want) break;
    }
    return done;
}

void ResampleReader::close() {
    queue_.clear();
    if (converter_) converter_ = src_delete(converter_);
    drained_ = true;
}

}  // namespace wd
