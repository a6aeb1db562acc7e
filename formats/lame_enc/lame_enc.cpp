// liblame_enc.so: the MP3 encoder library's four entry points over libmp3lame.
//
// Streams are constant-bit-rate MPEG audio with the header bits the caller asks for.
// No Xing/Info tag is written: the caller appends bytes in order and cannot go back to
// fill it, and an empty tag would decode as a frame of silence.
#include "lame_enc.h"

#include <lame/lame.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#define LAME_ENC_EXPORT extern "C"

namespace {

struct Stream {
    lame_global_flags* lame = nullptr;
    int channels = 2;
    bool haveHalfFrame = false;  // a stereo left value waiting for its right one
    int16_t halfFrame = 0;
    std::vector<uint8_t> pending;  // encoded bytes not yet handed out
    std::vector<uint8_t> scratch;
    bool finished = false;

    ~Stream() {
        if (lame) lame_close(lame);
    }
};

// Live streams by handle. Handles count up and are never reused, so a stale handle is
// refused instead of reaching a freed stream.
struct StreamTable {
    std::mutex mutex;
    std::map<BeStream, std::shared_ptr<Stream>> streams;
    BeStream next = 1;
};

StreamTable& table() {
    static StreamTable* t = new StreamTable;
    return *t;
}

std::shared_ptr<Stream> find(BeStream handle) {
    auto& t = table();
    std::lock_guard lock(t.mutex);
    auto it = t.streams.find(handle);
    return it == t.streams.end() ? nullptr : it->second;
}

// Moves up to BE_MAX_OUTPUT_BYTES of pending output to the caller.
void handOut(Stream& s, uint8_t* output, uint32_t* outputBytes) {
    size_t n = std::min<size_t>(s.pending.size(), BE_MAX_OUTPUT_BYTES);
    if (n) std::memcpy(output, s.pending.data(), n);
    s.pending.erase(s.pending.begin(), s.pending.begin() + static_cast<std::ptrdiff_t>(n));
    *outputBytes = static_cast<uint32_t>(n);
}

// Encodes frames of 16-bit values (interleaved when stereo) into pending.
bool encodeFrames(Stream& s, const int16_t* values, size_t frames) {
    if (frames == 0) return true;
    // The documented worst case of one call: 1.25 * frames + 7200 bytes.
    s.scratch.resize(frames * 5 / 4 + 7200);
    int produced;
    if (s.channels == 2) {
        produced = lame_encode_buffer_interleaved(s.lame, const_cast<short*>(values), static_cast<int>(frames),
                                                  s.scratch.data(), static_cast<int>(s.scratch.size()));
    } else {
        produced = lame_encode_buffer(s.lame, values, values, static_cast<int>(frames), s.scratch.data(),
                                      static_cast<int>(s.scratch.size()));
    }
    if (produced < 0) return false;
    s.pending.insert(s.pending.end(), s.scratch.begin(), s.scratch.begin() + produced);
    return true;
}

}  // namespace

LAME_ENC_EXPORT BeError beInitStream(const Mp3EncoderConfig* config, uint32_t* samplesPerChunk, uint32_t* outputBufferSize,
                                     BeStream* stream) {
    if (stream) *stream = 0;
    if (!config || !stream) return BE_ERR_INVALID_FORMAT_PARAMETERS;
    if (config->configKind != BE_CONFIG_MP3) return BE_ERR_INVALID_FORMAT;
    if (config->sampleRate == 0 || config->bitrate == 0 || config->mode > BE_MP3_MODE_MONO) {
        return BE_ERR_INVALID_FORMAT_PARAMETERS;
    }

    auto s = std::make_shared<Stream>();
    s->lame = lame_init();
    if (!s->lame) return BE_ERR_NO_MORE_HANDLES;
    s->channels = config->mode == BE_MP3_MODE_MONO ? 1 : 2;
    static constexpr MPEG_mode kModes[] = {STEREO, JOINT_STEREO, DUAL_CHANNEL, MONO};
    lame_set_num_channels(s->lame, s->channels);
    lame_set_in_samplerate(s->lame, static_cast<int>(config->sampleRate));
    lame_set_mode(s->lame, kModes[config->mode]);
    lame_set_VBR(s->lame, vbr_off);
    lame_set_brate(s->lame, config->bitrate);
    lame_set_extension(s->lame, config->privateBit ? 1 : 0);
    lame_set_error_protection(s->lame, config->crc ? 1 : 0);
    lame_set_copyright(s->lame, config->copyright ? 1 : 0);
    lame_set_original(s->lame, config->original ? 1 : 0);
    lame_set_bWriteVbrTag(s->lame, 0);
    if (lame_init_params(s->lame) < 0) return BE_ERR_INVALID_FORMAT_PARAMETERS;

    if (samplesPerChunk) *samplesPerChunk = static_cast<uint32_t>(lame_get_framesize(s->lame) * s->channels);
    if (outputBufferSize) *outputBufferSize = BE_MAX_OUTPUT_BYTES;

    auto& t = table();
    std::lock_guard lock(t.mutex);
    BeStream handle = t.next++;
    t.streams[handle] = std::move(s);
    *stream = handle;
    return BE_ERR_SUCCESSFUL;
}

LAME_ENC_EXPORT BeError beEncodeChunk(BeStream handle, uint32_t count, const int16_t* samples, uint8_t* output,
                                      uint32_t* outputBytes) {
    if (outputBytes) *outputBytes = 0;
    auto s = find(handle);
    if (!s || s->finished) return BE_ERR_INVALID_HANDLE;
    if (!output || !outputBytes || (count && !samples) || count > BE_MAX_CHUNK_VALUES) {
        return BE_ERR_INVALID_FORMAT_PARAMETERS;
    }
    if (s->channels == 1) {
        if (!encodeFrames(*s, samples, count)) return BE_ERR_INVALID_FORMAT_PARAMETERS;
    } else {
        // A count that splits a stereo frame keeps the odd value for the next call.
        std::vector<int16_t> values;
        values.reserve(count + 1);
        if (s->haveHalfFrame) values.push_back(s->halfFrame);
        values.insert(values.end(), samples, samples + count);
        s->haveHalfFrame = values.size() % 2 != 0;
        if (s->haveHalfFrame) {
            s->halfFrame = values.back();
            values.pop_back();
        }
        if (!encodeFrames(*s, values.data(), values.size() / 2)) return BE_ERR_INVALID_FORMAT_PARAMETERS;
    }
    handOut(*s, output, outputBytes);
    return BE_ERR_SUCCESSFUL;
}

LAME_ENC_EXPORT BeError beDeinitStream(BeStream handle, uint8_t* output, uint32_t* outputBytes) {
    if (outputBytes) *outputBytes = 0;
    auto s = find(handle);
    if (!s) return BE_ERR_INVALID_HANDLE;
    if (!output || !outputBytes) return BE_ERR_INVALID_FORMAT_PARAMETERS;
    if (!s->finished) {
        if (s->haveHalfFrame) {
            // The last frame lacks its right value: complete it with silence.
            int16_t frame[2] = {s->halfFrame, 0};
            s->haveHalfFrame = false;
            encodeFrames(*s, frame, 1);
        }
        s->scratch.resize(7200 + 2 * 1152);
        int produced = lame_encode_flush(s->lame, s->scratch.data(), static_cast<int>(s->scratch.size()));
        if (produced > 0) s->pending.insert(s->pending.end(), s->scratch.begin(), s->scratch.begin() + produced);
        s->finished = true;
    }
    handOut(*s, output, outputBytes);
    return BE_ERR_SUCCESSFUL;
}

LAME_ENC_EXPORT BeError beCloseStream(BeStream handle) {
    auto& t = table();
    std::lock_guard lock(t.mutex);
    return t.streams.erase(handle) ? BE_ERR_SUCCESSFUL : BE_ERR_INVALID_HANDLE;
}
