#include "formats/mp3_exporter.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "services/settings.h"
#include "formats/buffered_file_writer.h"
#include "formats/mp3_encoder_library.h"
#include "model/sample_converter.h"
#include "wavedeck_messages.h"

namespace wd {
namespace {

constexpr int kBlock = 1024;

// The encoder's stream, closed however the save ends.
class EncoderStream {
public:
    explicit EncoderStream(const Mp3EncoderLibrary& library) : library_(library) {}
    ~EncoderStream() {
        if (handle_) library_.closeStream(handle_);
    }
    EncoderStream(const EncoderStream&) = delete;
    EncoderStream& operator=(const EncoderStream&) = delete;
    bool open(const Mp3EncoderConfig& config) {
        uint32_t samplesPerChunk = 0, outputBytes = 0;
        return library_.initStream(&config, &samplesPerChunk, &outputBytes, &handle_) == BE_ERR_SUCCESSFUL && handle_;
    }
    BeStream handle() const { return handle_; }

private:
    const Mp3EncoderLibrary& library_;
    BeStream handle_ = 0;
};

}  // namespace

Mp3Exporter::~Mp3Exporter() { Cancel(); }

void Mp3Exporter::runWholeTrack() { write(wholeTrackRange(snapshot()), false); }

void Mp3Exporter::runSelection() { write(selectionRange(snapshot()), true); }

void Mp3Exporter::write(const ExportRange& range, bool selection) {
    const Track& t = snapshot();
    const Mp3EncoderLibrary& library = Mp3EncoderLibrary::instance();
    const bool stereo = range.channels == 2;
    const int count = std::max(0, range.count);

    Mp3EncoderConfig config{};
    config.configKind = BE_CONFIG_MP3;
    config.sampleRate = static_cast<uint32_t>(std::max(0, t.sampleRate));
    config.mode = stereo ? BE_MP3_MODE_STEREO : BE_MP3_MODE_MONO;
    config.bitrate = static_cast<uint16_t>(std::clamp(Settings::instance().formatQuality(1), 0, 0xFFFF));
    config.privateBit = 0;
    config.crc = 1;
    config.copyright = 1;
    config.original = 1;

    bool failed = !library.available();
    std::optional<EncoderStream> stream;
    BufferedFileWriter output;
    if (!failed) {
        stream.emplace(library);
        failed = !stream->open(config);
        if (!failed && !output.Open(path)) {
            setFailure(output.problem());
            failed = true;
        }
    }
    if (failed) setFailure(FileProblem::Encoder);

    std::vector<float> left(kBlock), right(kBlock);
    std::vector<int16_t> left16(kBlock), right16(kBlock), interleaved(2 * kBlock);
    std::vector<uint8_t> encoded(BE_MAX_OUTPUT_BYTES);
    auto emit = [&](BeError error, uint32_t bytes) {
        if (error != BE_ERR_SUCCESSFUL || bytes > encoded.size()) {
            setFailure(FileProblem::Encoder);
            return false;
        }
        if (bytes > 0 && !output.Write(encoded.data(), bytes)) {
            setFailure(output.problem());
            return false;
        }
        return true;
    };
    int done = 0;
    // An empty range still makes one call, so the stream is a proper (empty) one.
    while (!failed && !cancelled) {
        const int n = std::min(kBlock, count - done);
        readBlock(range, done, n, left.data(), stereo ? right.data() : nullptr);
        SampleConverter::floatToPcm16(left.data(), n * 4, left16.data());
        const int16_t* values = left16.data();
        if (stereo) {
            SampleConverter::floatToPcm16(right.data(), n * 4, right16.data());
            SampleConverter::interleavePair(left16.data(), right16.data(), 2, n * 2, interleaved.data());
            values = interleaved.data();
        }
        uint32_t bytes = 0;
        const BeError error = library.encodeChunk(stream->handle(), static_cast<uint32_t>(stereo ? 2 * n : n), values, encoded.data(), &bytes);
        failed = !emit(error, bytes);
        done += n;
        PostMessageA(progressWindow, NotifySaveProgress, static_cast<WPARAM>(count), done);
        if (done >= count) break;
    }
    // One call hands out the encoder's whole rest (at most BE_MAX_OUTPUT_BYTES).
    if (!failed && !cancelled) {
        uint32_t bytes = 0;
        const BeError error = library.deinitStream(stream->handle(), encoded.data(), &bytes);
        failed = !emit(error, bytes);
    }
    stream.reset();
    const bool wasCancelled = cancelled.exchange(true);
    if (failed || wasCancelled) {
        output.Discard();
    } else if (!output.Close()) {
        setFailure(output.problem());
        failed = true;
    }
    left = {};
    right = {};
    left16 = {};
    right16 = {};
    interleaved = {};
    encoded = {};

    reportEnd(selection, failed, wasCancelled, true);
}

}  // namespace wd
