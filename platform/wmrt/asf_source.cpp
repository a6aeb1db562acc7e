#include "platform/wmrt/asf_source.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libswresample/swresample.h>
}

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>

#include "platform/files/file_io.h"
#include "platform/wmrt/ffmpeg_quiet.h"

namespace wd::wm {
namespace {

constexpr int kIoBufferSize = 64 * 1024;
// A header has a handful of objects; a chain longer than this is not a header.
constexpr uint32_t kMostHeaderObjects = 1000;

// GUIDs as the file stores them (the first three fields little-endian).
constexpr uint8_t kHeaderObject[16] = {0x30, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11,
                                       0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C};
constexpr uint8_t kContentEncryption[16] = {0xFB, 0xB3, 0x11, 0x22, 0x23, 0xBD, 0xD2, 0x11,
                                            0xB4, 0xB7, 0x00, 0xA0, 0xC9, 0x55, 0xFC, 0x6E};
constexpr uint8_t kExtendedContentEncryption[16] = {0x14, 0xE6, 0x8A, 0x29, 0x22, 0x26, 0x17, 0x4C,
                                                    0xB9, 0x35, 0xDA, 0xE0, 0x7E, 0xE9, 0x28, 0x9C};

uint64_t littleEndian(const uint8_t* p, int bytes) {
    uint64_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = v << 8 | p[i];
    return v;
}

bool readAt(int fd, uint8_t* buffer, size_t size, uint64_t offset) {
    return offset <= static_cast<uint64_t>(std::numeric_limits<int64_t>::max()) &&
           readFileAt(fd, buffer, size, static_cast<int64_t>(offset)) == static_cast<long>(size);
}

// The runtime refuses protected files without a licence; FFmpeg would decode their
// encrypted payload as noise. Walks the header's objects looking for an encryption object.
HRESULT checkHeader(int fd) {
    uint8_t top[30];
    if (!readAt(fd, top, sizeof top, 0) || std::memcmp(top, kHeaderObject, 16) != 0) return NS_E_INVALID_DATA;
    const uint64_t headerEnd = littleEndian(top + 16, 8);
    const uint32_t count = static_cast<uint32_t>(littleEndian(top + 24, 4));
    uint64_t offset = sizeof top;
    for (uint32_t i = 0; i < std::min(count, kMostHeaderObjects) && headerEnd >= 24 && offset <= headerEnd - 24; ++i) {
        uint8_t object[24];
        if (!readAt(fd, object, sizeof object, offset)) return NS_E_INVALID_DATA;
        if (std::memcmp(object, kContentEncryption, 16) == 0 || std::memcmp(object, kExtendedContentEncryption, 16) == 0) {
            return NS_E_PROTECTED_CONTENT;
        }
        const uint64_t size = littleEndian(object + 16, 8);
        if (size < 24 || size > headerEnd - offset) return NS_E_INVALID_DATA;
        offset += size;
    }
    return S_OK;
}

}  // namespace

struct AsfSource::Decoder {
    AVCodecContext* context = nullptr;  // null: no decoder takes the stream
    SwrContext* swr = nullptr;
    int inFormat = -1;
    int inRate = 0;
    AVChannelLayout inLayout{};
    AVChannelLayout outLayout{};
    AVSampleFormat outFormat = AV_SAMPLE_FMT_S16;
    int64_t delivered = 0;                                  // samples per channel
    int64_t limit = std::numeric_limits<int64_t>::max();  // the header's duration

    ~Decoder() {
        avcodec_free_context(&context);
        swr_free(&swr);
        av_channel_layout_uninit(&inLayout);
        av_channel_layout_uninit(&outLayout);
    }
};

AsfSource::AsfSource(const std::atomic<bool>& abort) : abort_(abort) {}

AsfSource::~AsfSource() {
    av_packet_free(&packet_);
    av_frame_free(&frame_);
    decoders_.clear();
    avformat_close_input(&format_);
    if (io_) av_freep(&io_->buffer);
    avio_context_free(&io_);
    if (fd_ >= 0) closeFile(fd_);
}

HRESULT AsfSource::open(const std::string& path, const std::atomic<bool>& abort, std::unique_ptr<AsfSource>& source) {
    source.reset();
    silenceFfmpeg();
    bool notRegular = false;
    const int fd = openRegularForReading(path, notRegular);
    if (fd < 0) return NS_E_FILE_OPEN_FAILED;
    std::unique_ptr<AsfSource> s(new AsfSource(abort));
    s->fd_ = fd;
    if (HRESULT hr = checkHeader(fd); failed(hr)) return hr;
    if (HRESULT hr = s->openInput(fd); failed(hr)) return hr;
    s->addOutputs();
    source = std::move(s);
    return S_OK;
}

HRESULT AsfSource::openInput(int fd) {
    auto* buffer = static_cast<uint8_t*>(av_malloc(kIoBufferSize));
    io_ = buffer ? avio_alloc_context(buffer, kIoBufferSize, 0, this, &AsfSource::readPacket, nullptr, &AsfSource::seek) : nullptr;
    format_ = avformat_alloc_context();
    packet_ = av_packet_alloc();
    frame_ = av_frame_alloc();
    if (!io_) av_free(buffer);
    if (!io_ || !format_ || !packet_ || !frame_) return E_OUTOFMEMORY;
    seekFile(fd, 0, SEEK_SET);
    format_->pb = io_;
    format_->flags |= AVFMT_FLAG_CUSTOM_IO;
    format_->interrupt_callback.callback = &AsfSource::interrupted;
    format_->interrupt_callback.opaque = this;
    // Only ASF: the runtime reads Windows Media files, whatever else FFmpeg could guess.
    if (avformat_open_input(&format_, nullptr, av_find_input_format("asf"), nullptr) < 0) {
        return abort_ ? NS_E_OPERATION_CANCELED : NS_E_INVALID_DATA;
    }
    if (avformat_find_stream_info(format_, nullptr) < 0) return abort_ ? NS_E_OPERATION_CANCELED : NS_E_INVALID_DATA;
    // A duration FFmpeg guessed from the bit rate is not the header's. A header that
    // states 0 (a file without sound) leaves FFmpeg's overall duration unknown; the
    // streams still carry it.
    if (format_->duration_estimation_method != AVFMT_DURATION_FROM_BITRATE) {
        if (format_->duration != AV_NOPTS_VALUE && format_->duration >= 0) {
            duration_ = static_cast<QWORD>(format_->duration) * (kUnitsPerSecond / AV_TIME_BASE);
        }
        for (unsigned i = 0; i < format_->nb_streams && !duration_; ++i) {
            const AVStream* st = format_->streams[i];
            if (st->duration != AV_NOPTS_VALUE && st->duration >= 0) {
                duration_ = static_cast<QWORD>(av_rescale_q(st->duration, st->time_base, AVRational{1, static_cast<int>(kUnitsPerSecond)}));
            }
        }
    }
    return S_OK;
}

void AsfSource::addOutputs() {
    for (unsigned i = 0; i < format_->nb_streams; ++i) {
        const AVCodecParameters* par = format_->streams[i]->codecpar;
        Output output;
        output.stream = static_cast<int>(i);
        std::unique_ptr<Decoder> decoder;
        if (par->codec_type == AVMEDIA_TYPE_VIDEO) output.mediaType.majorType = MajorType::Video;
        if (par->codec_type == AVMEDIA_TYPE_AUDIO) {
            output.mediaType.majorType = MajorType::Audio;
            output.mediaType.formatType = FormatType::WaveFormatEx;
            decoder = std::make_unique<Decoder>();
            const AVCodec* codec = avcodec_find_decoder(par->codec_id);
            AVCodecContext* context = codec ? avcodec_alloc_context3(codec) : nullptr;
            if (context && avcodec_parameters_to_context(context, par) >= 0 && avcodec_open2(context, codec, nullptr) >= 0) {
                decoder->context = context;
            } else {
                avcodec_free_context(&context);
            }
            const bool eightBit = par->format == AV_SAMPLE_FMT_U8 || par->format == AV_SAMPLE_FMT_U8P;
            decoder->outFormat = eightBit ? AV_SAMPLE_FMT_U8 : AV_SAMPLE_FMT_S16;
            const int channels = std::clamp(par->ch_layout.nb_channels, 1, 2);
            av_channel_layout_default(&decoder->outLayout, channels);
            WaveFormat& w = output.mediaType.wave;
            w.formatTag = WAVE_FORMAT_PCM;
            w.channels = static_cast<WORD>(channels);
            w.samplesPerSec = static_cast<DWORD>(std::max(par->sample_rate, 0));
            w.bitsPerSample = eightBit ? 8 : 16;
            w.blockAlign = static_cast<WORD>(channels * w.bitsPerSample / 8);
            w.avgBytesPerSec = w.blockAlign * w.samplesPerSec;
            if (par->sample_rate <= 0) avcodec_free_context(&decoder->context);
            if (duration_ && par->sample_rate > 0) {
                decoder->limit = static_cast<int64_t>(*duration_ * static_cast<QWORD>(par->sample_rate) / kUnitsPerSecond);
            }
        }
        outputs_.push_back(output);
        decoders_.push_back(std::move(decoder));
    }
}

AsfSource::Step AsfSource::next(Chunk& chunk) {
    while (ready_.empty()) {
        if (draining_) {
            if (decodedFrames_ == 0 && decodeErrors_ > 0) {
                failure_ = NS_E_INVALID_DATA;
                return Step::Failed;
            }
            return Step::End;
        }
        const int r = av_read_frame(format_, packet_);
        if (r == AVERROR_EOF) {
            for (size_t o = 0; o < decoders_.size(); ++o) {
                if (!decoders_[o] || !decoders_[o]->context) continue;
                avcodec_send_packet(decoders_[o]->context, nullptr);
                receive(o);
            }
            draining_ = true;
            continue;
        }
        if (r < 0) {
            failure_ = abort_ ? NS_E_OPERATION_CANCELED : NS_E_INVALID_DATA;
            return Step::Failed;
        }
        const auto o = static_cast<size_t>(packet_->stream_index);
        Decoder* decoder = o < decoders_.size() ? decoders_[o].get() : nullptr;
        if (decoder && !decoder->context) {
            av_packet_unref(packet_);
            return Step::MissingCodec;
        }
        if (decoder) {
            int sent = avcodec_send_packet(decoder->context, packet_);
            if (sent == AVERROR(EAGAIN)) {
                receive(o);
                sent = avcodec_send_packet(decoder->context, packet_);
            }
            // A damaged packet is skipped, as a player conceals it.
            if (sent < 0) ++decodeErrors_;
            receive(o);
        }
        av_packet_unref(packet_);
    }
    chunk = std::move(ready_.front());
    ready_.pop_front();
    return Step::Sample;
}

void AsfSource::receive(size_t output) {
    AVCodecContext* context = decoders_[output]->context;
    while (avcodec_receive_frame(context, frame_) >= 0) {
        convert(output, frame_);
        av_frame_unref(frame_);
    }
}

void AsfSource::convert(size_t output, const AVFrame* frame) {
    ++decodedFrames_;
    Decoder& d = *decoders_[output];
    const WaveFormat& w = outputs_[output].mediaType.wave;
    if (frame->nb_samples <= 0 || d.delivered >= d.limit) return;
    AVChannelLayout in{};
    if (frame->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC) {
        av_channel_layout_default(&in, frame->ch_layout.nb_channels);
    } else if (av_channel_layout_copy(&in, &frame->ch_layout) < 0) {
        return;
    }
    // The converter follows the decoder should its output change midway.
    if (!d.swr || frame->format != d.inFormat || frame->sample_rate != d.inRate || av_channel_layout_compare(&in, &d.inLayout) != 0) {
        swr_free(&d.swr);
        if (swr_alloc_set_opts2(&d.swr, &d.outLayout, d.outFormat, static_cast<int>(w.samplesPerSec), &in,
                                static_cast<AVSampleFormat>(frame->format), frame->sample_rate, 0, nullptr) < 0 ||
            swr_init(d.swr) < 0) {
            swr_free(&d.swr);
            av_channel_layout_uninit(&in);
            ++decodeErrors_;
            return;
        }
        d.inFormat = frame->format;
        d.inRate = frame->sample_rate;
        av_channel_layout_uninit(&d.inLayout);
        d.inLayout = in;
    } else {
        av_channel_layout_uninit(&in);
    }
    const int room = swr_get_out_samples(d.swr, frame->nb_samples);
    if (room <= 0) return;
    Chunk chunk;
    chunk.output = static_cast<DWORD>(output);
    chunk.bytes.resize(static_cast<size_t>(room) * w.blockAlign);
    uint8_t* out = chunk.bytes.data();
    const int made = swr_convert(d.swr, &out, room, const_cast<const uint8_t**>(frame->extended_data), frame->nb_samples);
    const int64_t n = std::min<int64_t>(made, d.limit - d.delivered);
    if (n <= 0) return;
    chunk.bytes.resize(static_cast<size_t>(n) * w.blockAlign);
    const auto rate = static_cast<QWORD>(w.samplesPerSec);
    chunk.time = static_cast<QWORD>(d.delivered) * kUnitsPerSecond / rate;
    chunk.duration = static_cast<QWORD>(n) * kUnitsPerSecond / rate;
    d.delivered += n;
    ready_.push_back(std::move(chunk));
}

int AsfSource::readPacket(void* opaque, uint8_t* buffer, int size) {
    auto* self = static_cast<AsfSource*>(opaque);
    for (;;) {
        const long got = readFile(self->fd_, buffer, static_cast<size_t>(size));
        if (got > 0) return static_cast<int>(got);
        if (got == 0) return AVERROR_EOF;
        if (errno != EINTR) return AVERROR(errno);
    }
}

int64_t AsfSource::seek(void* opaque, int64_t offset, int whence) {
    auto* self = static_cast<AsfSource*>(opaque);
    if (whence & AVSEEK_SIZE) {
        const int64_t size = fileSize(self->fd_);
        return size >= 0 ? size : AVERROR(errno);
    }
    const int64_t at = seekFile(self->fd_, offset, whence & ~AVSEEK_FORCE);
    return at < 0 ? AVERROR(errno) : at;
}

int AsfSource::interrupted(void* opaque) { return static_cast<AsfSource*>(opaque)->abort_ ? 1 : 0; }

}  // namespace wd::wm
