#include "formats/stream_resampler.h"

#include <samplerate.h>

namespace wd {

void StreamResampler::Deleter::operator()(void* state) const { src_delete(static_cast<SRC_STATE*>(state)); }

StreamResampler::StreamResampler(int channels, int fromRate, int toRate)
    : channels_(channels), fromRate_(fromRate), ratio_(static_cast<double>(toRate) / fromRate) {
    int error = 0;
    state_.reset(src_new(SRC_SINC_MEDIUM_QUALITY, channels, &error));
}

StreamResampler::~StreamResampler() = default;

bool StreamResampler::process(const float* input, long frames, bool last, std::vector<float>& out) {
    auto* state = static_cast<SRC_STATE*>(state_.get());
    if (!state) return false;
    const size_t before = out.size();
    // The converter may hold back frames; with the end of input it gives them all.
    long room = static_cast<long>(frames * ratio_) + 256;
    SRC_DATA data{};
    data.src_ratio = ratio_;
    data.end_of_input = last ? 1 : 0;
    for (;;) {
        const size_t at = out.size();
        out.resize(at + static_cast<size_t>(room * channels_));
        data.data_in = input;
        data.input_frames = frames;
        data.data_out = out.data() + at;
        data.output_frames = room;
        if (src_process(state, &data) != 0) {
            out.resize(before);
            return false;
        }
        out.resize(at + static_cast<size_t>(data.output_frames_gen * channels_));
        input += data.input_frames_used * channels_;
        frames -= data.input_frames_used;
        const bool stuck = data.input_frames_used == 0 && data.output_frames_gen == 0;
        if (stuck || (frames == 0 && !last)) return true;
    }
}

}  // namespace wd
