#include "platform/wmrt/asf_encoder.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/mathematics.h>
}

#include <algorithm>
#include <cstring>

#include "platform/wmrt/ffmpeg_quiet.h"

namespace wd::wm {
namespace {
constexpr AVRational kMilliseconds{1, 1000};
}

HRESULT AsfEncoder::create(const std::string& path, int sampleRate, int channels, int bitRate,
                           std::unique_ptr<AsfEncoder>& encoder) {
    encoder.reset();
    silenceFfmpeg();
    std::unique_ptr<AsfEncoder> e(new AsfEncoder);
    if (HRESULT hr = e->open(path, sampleRate, channels, bitRate); failed(hr)) return hr;
    encoder = std::move(e);
    return S_OK;
}

AsfEncoder::~AsfEncoder() {
    if (format_ && format_->pb) avio_closep(&format_->pb);
    avformat_free_context(format_);
    avcodec_free_context(&codec_);
    av_frame_free(&frame_);
    av_packet_free(&packet_);
}

HRESULT AsfEncoder::open(const std::string& path, int sampleRate, int channels, int bitRate) {
    const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_WMAV2);
    if (!codec || avformat_alloc_output_context2(&format_, nullptr, "asf", nullptr) < 0) return E_OUTOFMEMORY;
    codec_ = avcodec_alloc_context3(codec);
    frame_ = av_frame_alloc();
    packet_ = av_packet_alloc();
    if (!codec_ || !frame_ || !packet_) return E_OUTOFMEMORY;
    codec_->sample_fmt = AV_SAMPLE_FMT_FLTP;
    codec_->sample_rate = sampleRate;
    codec_->bit_rate = bitRate;
    codec_->time_base = AVRational{1, sampleRate};
    av_channel_layout_default(&codec_->ch_layout, channels);
    if (format_->oformat->flags & AVFMT_GLOBALHEADER) codec_->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if (sampleRate <= 0 || channels < 1 || channels > 2 || avcodec_open2(codec_, codec, nullptr) < 0) {
        return NS_E_NO_MATCHING_FORMAT;
    }
    AVStream* stream = avformat_new_stream(format_, nullptr);
    if (!stream || avcodec_parameters_from_context(stream->codecpar, codec_) < 0) return E_OUTOFMEMORY;
    stream->time_base = codec_->time_base;
    // "file:" keeps a name with a colon from being taken for another protocol.
    if (avio_open(&format_->pb, ("file:" + path).c_str(), AVIO_FLAG_WRITE) < 0) return NS_E_FILE_WRITE;
    // The leading silence is stamped before time 0; shifting it to 0 would add its length
    // to the header's duration.
    format_->avoid_negative_ts = AVFMT_AVOID_NEG_TS_DISABLED;
    if (avformat_write_header(format_, nullptr) < 0) return NS_E_FILE_WRITE;
    headerWritten_ = true;

    channels_ = channels;
    rate_ = sampleRate;
    frameSize_ = codec_->frame_size;
    frame_->nb_samples = frameSize_;
    frame_->format = AV_SAMPLE_FMT_FLTP;
    frame_->sample_rate = sampleRate;
    if (av_channel_layout_copy(&frame_->ch_layout, &codec_->ch_layout) < 0 || av_frame_get_buffer(frame_, 0) < 0) {
        return E_OUTOFMEMORY;
    }
    // The leading frame of silence, which decoders drop.
    HRESULT hr = writeSilence(frameSize_);
    frames_ = 0;
    return hr;
}

template <class Next>
HRESULT AsfEncoder::append(int64_t frames, Next next) {
    if (!headerWritten_ || finished_) return E_UNEXPECTED;
    int64_t done = 0;
    while (done < frames) {
        if (av_frame_make_writable(frame_) < 0) return E_OUTOFMEMORY;
        const int n = static_cast<int>(std::min<int64_t>(frameSize_ - filled_, frames - done));
        for (int c = 0; c < channels_; ++c) {
            float* plane = reinterpret_cast<float*>(frame_->extended_data[c]) + filled_;
            for (int i = 0; i < n; ++i) plane[i] = next(done + i, c);
        }
        filled_ += n;
        done += n;
        frames_ += n;
        if (filled_ == frameSize_) {
            if (HRESULT hr = encodeFrame(); failed(hr)) return hr;
        }
    }
    return S_OK;
}

HRESULT AsfEncoder::write(const int16_t* samples, int64_t frames) {
    if (!samples && frames > 0) return E_INVALIDARG;
    return append(frames, [samples, this](int64_t i, int c) {
        return static_cast<float>(samples[i * channels_ + c]) / 32768.0f;
    });
}

HRESULT AsfEncoder::writeSilence(int64_t frames) {
    return append(frames, [](int64_t, int) { return 0.0f; });
}

HRESULT AsfEncoder::encodeFrame() {
    frame_->pts = encodedFrames_++ * frameSize_;
    filled_ = 0;
    if (avcodec_send_frame(codec_, frame_) < 0) return NS_E_FILE_WRITE;
    return writePackets();
}

HRESULT AsfEncoder::writePackets() {
    for (;;) {
        const int got = avcodec_receive_packet(codec_, packet_);
        if (got == AVERROR(EAGAIN) || got == AVERROR_EOF) return S_OK;
        if (got < 0) return NS_E_FILE_WRITE;
        // Packet k holds frame k, whose sound starts one frame earlier than its place
        // in the stream (the leading silence comes first). Stamps rise strictly, and at
        // the end no packet reaches past the sound, so the header's duration is its
        // length. A duration of 0 would be replaced by the frame's, so the padding after
        // the sound is stamped as the sound's last millisecond.
        const int64_t start = (packets_++ - 1) * frameSize_;
        int64_t end = start + frameSize_;
        int64_t startMs = av_rescale_rnd(start, 1000, rate_, AV_ROUND_DOWN);
        if (ending_) {
            const int64_t soundEndMs = av_rescale_rnd(soundEnd_, 1000, rate_, AV_ROUND_UP);
            end = std::min(end, soundEnd_);
            startMs = std::min(startMs, soundEndMs - 1);
        }
        startMs = std::max(startMs, lastStampMs_ + 1);
        const int64_t endMs = std::max(av_rescale_rnd(std::max<int64_t>(end, 0), 1000, rate_, AV_ROUND_UP), startMs + 1);
        lastStampMs_ = startMs;
        packet_->pts = packet_->dts = startMs;
        packet_->duration = endMs - startMs;
        packet_->stream_index = 0;
        av_packet_rescale_ts(packet_, kMilliseconds, format_->streams[0]->time_base);
        const int written = av_write_frame(format_, packet_);
        av_packet_unref(packet_);
        if (written < 0) return NS_E_FILE_WRITE;
    }
}

HRESULT AsfEncoder::flush() {
    if (!headerWritten_) return E_UNEXPECTED;
    avio_flush(format_->pb);
    return format_->pb->error < 0 ? NS_E_FILE_WRITE : S_OK;
}

HRESULT AsfEncoder::finish() {
    if (!headerWritten_ || finished_) return E_UNEXPECTED;
    soundEnd_ = frames_;
    ending_ = true;
    // The rest of the last frame and one whole frame of silence after the sound.
    HRESULT hr = writeSilence(filled_ > 0 ? 2 * frameSize_ - filled_ : frameSize_);
    frames_ = soundEnd_;
    finished_ = true;
    if (succeeded(hr) && avcodec_send_frame(codec_, nullptr) < 0) hr = NS_E_FILE_WRITE;
    if (succeeded(hr)) hr = writePackets();
    if (succeeded(hr) && av_write_trailer(format_) < 0) hr = NS_E_FILE_WRITE;
    if (avio_closep(&format_->pb) < 0 && succeeded(hr)) hr = NS_E_FILE_WRITE;
    return hr;
}

}  // namespace wd::wm
