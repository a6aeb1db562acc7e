#include "formats/mpeg_audio_importer.h"

#include <mad.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <system_error>
#include <vector>

#include "formats/mpeg_stream_layout.h"
#include "formats/output_file.h"
#include "formats/stream_resampler.h"
#include "model/track_list.h"
#include "platform/files/file_io.h"
#include "wavedeck_messages.h"

namespace wd {
namespace {

constexpr size_t kInputBytes = 65536;
constexpr int kMaxFrameSamples = 1152;
// libmad's fixed-point samples carry 28 fraction bits.
constexpr float kFixedToFloat = 1.0f / static_cast<float>(1 << MAD_F_FRACBITS);

// One run of the decoder: what libmad's callbacks share.
struct Decoding {
    const Importer* importer = nullptr;
    const std::atomic<bool>* cancelled = nullptr;
    std::string path;
    int fd = -1;
    int64_t fileSize = 0;
    int64_t position = 0;
    int64_t reported = 0;  // the progress so far: 0 until the first read, then its end
    MpegStreamLayout layout;
    std::unique_ptr<unsigned char[]> input;
    bool inputEnded = false;
    bool failed = false;

    Track* track = nullptr;
    int trackRate = 0;
    int trackChannels = 0;
    uint32_t framesDecoded = 0;
    int64_t samplesToSkip = 0;  // the encoder's and decoder's delay, not yet passed
    size_t holdBack = 0;        // the encoder's padding: the last samples wait to be cut off
    std::vector<float> held[2];
    std::vector<float> mapped[2];
    std::unique_ptr<StreamResampler> resampler;
    std::vector<float> interleaved;
    std::vector<float> resampled;

    bool appendToTrack(const float* first, const float* second, size_t count);
    bool appendResampled();
    bool drainResampler();
    bool finish();
};

// Appends to the track, keeping the last holdBack samples back while a padding is to go.
bool Decoding::appendToTrack(const float* first, const float* second, size_t count) {
    const float* source[2] = {first, second};
    for (int c = 0; c < trackChannels; ++c) {
        Sequence& sequence = track->channel(c)->sequence();
        if (holdBack == 0) {
            if (count && sequence.appendSamples(source[c], static_cast<int>(count)) != static_cast<int>(count)) return false;
            continue;
        }
        std::vector<float>& h = held[c];
        h.insert(h.end(), source[c], source[c] + count);
        if (h.size() <= holdBack) continue;
        const int ready = static_cast<int>(h.size() - holdBack);
        if (sequence.appendSamples(h.data(), ready) != ready) return false;
        h.erase(h.begin(), h.begin() + ready);
    }
    return true;
}

// Appends the resampler's interleaved output.
bool Decoding::appendResampled() {
    const size_t n = static_cast<size_t>(trackChannels);
    const size_t frames = resampled.size() / n;
    for (size_t c = 0; c < n; ++c) {
        mapped[c].resize(frames);
        for (size_t i = 0; i < frames; ++i) mapped[c][i] = resampled[i * n + c];
    }
    return appendToTrack(mapped[0].data(), mapped[1].data(), frames);
}

// Ends a stretch of frames at another rate: the converter's tail goes in too.
bool Decoding::drainResampler() {
    if (!resampler) return true;
    resampled.clear();
    const bool ok = resampler->process(nullptr, 0, true, resampled);
    resampler.reset();
    return ok && appendResampled();
}

bool Decoding::finish() {
    if (!drainResampler()) return false;
    // The padding is cut only when the file ended where its info frame said; otherwise
    // (a cut or joined file) what was held back is audio.
    const bool whole = layout.frameCount == 0 || framesDecoded == layout.frameCount;
    if (!whole) {
        const size_t keep = holdBack;
        holdBack = 0;
        if (!appendToTrack(held[0].data(), held[1].data(), held[0].size())) return false;
        holdBack = keep;
    }
    for (int c = 0; c < trackChannels; ++c) {
        if (track->channel(c)->sequence().flushAppend() < 0) return false;
    }
    return true;
}

enum mad_flow onInput(void* data, struct mad_stream* stream) {
    auto& d = *static_cast<Decoding*>(data);
    // The rest of the last buffer, from the frame libmad could not finish, goes first.
    size_t keep = 0;
    if (stream->next_frame) {
        keep = static_cast<size_t>(stream->bufend - stream->next_frame);
        // A rest that fills the whole buffer holds no frame libmad could ever take.
        if (keep >= kInputBytes) keep = 0;
        std::memmove(d.input.get(), stream->next_frame, keep);
    }
    if (*d.cancelled || d.inputEnded) return MAD_FLOW_STOP;

    const int64_t left = d.layout.audioEnd - d.position;
    // Tags count as read: the last report reaches the file's size.
    if (left <= 0) d.reported = d.fileSize;
    d.importer->NotifyProgressWindows(NotifyImportProgress, static_cast<WPARAM>(d.fileSize), static_cast<LPARAM>(d.reported));
    const size_t want = static_cast<size_t>(std::min<int64_t>(static_cast<int64_t>(kInputBytes - keep), std::max<int64_t>(left, 0)));
    long got = 0;
    do {
        got = want ? readFileAt(d.fd, d.input.get() + keep, want, d.position) : 0;
    } while (got < 0 && errno == EINTR);
    if (got < 0) {
        d.failed = true;
        return MAD_FLOW_STOP;
    }
    if (got == 0) {
        // libmad decodes a frame only when it sees past its end: zeros let it finish the last one.
        d.inputEnded = true;
        std::memset(d.input.get() + keep, 0, MAD_BUFFER_GUARD);
        mad_stream_buffer(stream, d.input.get(), keep + MAD_BUFFER_GUARD);
        return MAD_FLOW_CONTINUE;
    }
    d.position += got;
    d.reported = d.position;
    mad_stream_buffer(stream, d.input.get(), keep + static_cast<size_t>(got));
    return MAD_FLOW_CONTINUE;
}

enum mad_flow onOutput(void* data, struct mad_header const*, struct mad_pcm* pcm) {
    auto& d = *static_cast<Decoding*>(data);
    const int rate = static_cast<int>(pcm->samplerate);
    const int channels = pcm->channels;
    if (channels < 1 || channels > 2 || rate <= 0) return MAD_FLOW_CONTINUE;
    if (!d.track) {
        d.track = TrackList::instance().addTrack(d.path, TrackList::Building::Yes);
        if (!d.track || d.track->setChannelCount(channels) != channels) {
            d.failed = true;
            return MAD_FLOW_STOP;
        }
        d.trackRate = rate;
        d.trackChannels = channels;
        d.track->sampleRate = rate;
        for (int c = 0; c < channels; ++c) d.track->channel(c)->viewRecord.sampleRate = rate;
    }
    ++d.framesDecoded;

    const size_t length = std::min<size_t>(pcm->length, kMaxFrameSamples);
    const size_t skip = static_cast<size_t>(std::min<int64_t>(d.samplesToSkip, static_cast<int64_t>(length)));
    d.samplesToSkip -= static_cast<int64_t>(skip);
    const size_t count = length - skip;

    // Into the track's layout: a mono frame goes to both channels of a stereo track, a
    // stereo frame into a mono track as the mean of its two channels.
    for (int c = 0; c < 2; ++c) d.mapped[c].resize(count);
    for (size_t i = 0; i < count; ++i) {
        const float left = static_cast<float>(pcm->samples[0][skip + i]) * kFixedToFloat;
        const float right = channels == 2 ? static_cast<float>(pcm->samples[1][skip + i]) * kFixedToFloat : left;
        if (d.trackChannels == 2) {
            d.mapped[0][i] = left;
            d.mapped[1][i] = right;
        } else {
            d.mapped[0][i] = channels == 2 ? 0.5f * (left + right) : left;
        }
    }

    bool ok = true;
    if (rate == d.trackRate) {
        ok = d.drainResampler() && d.appendToTrack(d.mapped[0].data(), d.mapped[1].data(), count);
    } else {
        if (d.resampler && d.resampler->fromRate() != rate) ok = d.drainResampler();
        if (!d.resampler) d.resampler = std::make_unique<StreamResampler>(d.trackChannels, rate, d.trackRate);
        const size_t n = static_cast<size_t>(d.trackChannels);
        d.interleaved.resize(count * n);
        for (size_t i = 0; i < count; ++i) {
            for (size_t c = 0; c < n; ++c) d.interleaved[i * n + c] = d.mapped[c][i];
        }
        d.resampled.clear();
        ok = ok && d.resampler->process(d.interleaved.data(), static_cast<long>(count), false, d.resampled) &&
             d.appendResampled();
    }
    if (!ok) {
        d.failed = true;
        return MAD_FLOW_STOP;
    }
    return MAD_FLOW_CONTINUE;
}

// Damaged frames are skipped; libmad itself stops at errors it cannot recover from.
enum mad_flow onError(void*, struct mad_stream*, struct mad_frame*) { return MAD_FLOW_CONTINUE; }

}  // namespace

MpegAudioImporter::~MpegAudioImporter() { Cancel(); }

bool MpegAudioImporter::Start(const std::string& path) {
    Cancel();
    path_ = path;
    cancelled_ = false;
    beginRead();
    FileProblem problem = FileProblem::Other;
    const int fd = openRegularFileForReading(path, &problem);
    if (fd < 0) {
        cancelled_ = true;
        setFailure(problem);
        NotifyProgressWindows(NotifyImportFailed, 0, 0);
        PostMessageA(finalWindow(), MsgImportFailed, 0, 0);
        return false;
    }
    try {
        thread_ = std::thread([this, fd] { run(fd); });
    } catch (const std::system_error&) {
        closeFile(fd);
        setFailure(FileProblem::Other);
        NotifyProgressWindows(NotifyImportFailed, 0, 0);
        cancelled_ = true;
        PostMessageA(finalWindow(), MsgImportFailed, 0, 0);
        return false;
    }
    return true;
}

void MpegAudioImporter::Cancel() {
    cancelled_ = true;
    if (thread_.joinable()) thread_.join();
}

void MpegAudioImporter::run(int fd) {
    FileDescriptor file(fd);
    Decoding d;
    d.importer = this;
    d.cancelled = &cancelled_;
    d.path = path_;
    d.fd = fd;
    d.fileSize = std::max<int64_t>(fileSize(fd), 0);
    d.layout = MpegStreamLayout::scan(fd, d.fileSize);
    d.position = d.layout.audioStart;
    if (d.layout.gapless) {
        d.samplesToSkip = d.layout.encoderDelay + MpegStreamLayout::kDecoderDelay;
        d.holdBack = static_cast<size_t>(std::max(0, d.layout.encoderPadding - MpegStreamLayout::kDecoderDelay));
    }
    d.input = std::make_unique<unsigned char[]>(kInputBytes + MAD_BUFFER_GUARD);

    struct mad_decoder decoder;
    mad_decoder_init(&decoder, &d, onInput, nullptr, nullptr, onOutput, onError, nullptr);
    const int result = mad_decoder_run(&decoder, MAD_DECODER_MODE_SYNC);
    mad_decoder_finish(&decoder);
    d.input.reset();

    TrackList& tracks = TrackList::instance();
    if (result != 0 || cancelled_ || d.failed || !d.track || !d.finish()) {
        // No frame at all: not an MPEG audio file; else a read error, or the storage.
        if (!cancelled_) setFailure(d.track ? FileProblem::Other : FileProblem::NotSound, d.track);
        if (d.track) tracks.removeTrack(d.track);
        if (cancelled_) {
            PostMessageA(finalWindow(), MsgImportCancelled, 0, 0);
        } else {
            PostMessageA(finalWindow(), MsgImportFailed, 0, 0);
            NotifyProgressWindows(NotifyImportFailed, 0, 0);
        }
        return;
    }
    PostMessageA(finalWindow(), MsgImportComplete, 0, reinterpret_cast<LPARAM>(d.track));
    NotifyProgressWindows(NotifyImportDone, 0, 0);
}

}  // namespace wd
