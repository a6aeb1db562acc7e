// The demultiplexer and decoders behind the Windows Media reader stand-in (FFmpeg).
#pragma once

#include <atomic>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/wmrt/wm_types.h"

struct AVFormatContext;
struct AVIOContext;
struct AVCodecContext;
struct AVFrame;
struct AVPacket;
struct SwrContext;

namespace wd::wm {

/**
 * One ASF file (WMA, WMV) opened for decoding. Every stream is an output; audio outputs
 * decode to PCM (16-bit, or 8-bit for 8-bit sources) with at most two channels (more are
 * mixed down, as the runtime does by default). Video and other streams are outputs with
 * their major type but deliver nothing: the library never reads pictures.
 *
 * Audio ends at the file's duration when the header gives one, so the padding an encoder
 * leaves after the sound is not delivered. Every blocking FFmpeg call is interrupted
 * once `abort` becomes true. One thread at a time.
 */
class AsfSource {
public:
    struct Output {
        int stream = -1;
        MediaType mediaType;  // audio: wave format of the PCM delivered
    };
    /** Decoded audio of one output: time and duration in 100-ns units. */
    struct Chunk {
        DWORD output = 0;
        QWORD time = 0;
        QWORD duration = 0;
        std::vector<BYTE> bytes;
    };
    enum class Step { Sample, End, MissingCodec, Failed };

    /**
     * Opens a regular file (FIFOs, devices and folders are refused at once), refuses a
     * protected (DRM) file, and reads the header. @returns S_OK, or NS_E_FILE_OPEN_FAILED,
     * NS_E_PROTECTED_CONTENT, NS_E_INVALID_DATA, NS_E_OPERATION_CANCELED.
     */
    static HRESULT open(const std::string& path, const std::atomic<bool>& abort, std::unique_ptr<AsfSource>& source);
    ~AsfSource();
    AsfSource(const AsfSource&) = delete;
    AsfSource& operator=(const AsfSource&) = delete;

    const std::vector<Output>& outputs() const { return outputs_; }
    /** The play duration the header states (100-ns units), if it states one. */
    std::optional<QWORD> duration() const { return duration_; }

    /**
     * The next decoded chunk of any audio output, in file order. End at the end of the
     * file; MissingCodec at a packet of an audio stream no decoder takes; Failed when the
     * file cannot be read on (failure() tells why), including a file in which not one
     * packet decoded.
     */
    Step next(Chunk& chunk);
    HRESULT failure() const { return failure_; }

private:
    struct Decoder;
    explicit AsfSource(const std::atomic<bool>& abort);

    HRESULT openInput(int fd);
    void addOutputs();
    /** Decodes what the decoder of output has ready into chunks. */
    void receive(size_t output);
    void convert(size_t output, const AVFrame* frame);
    Step drain();

    static int readPacket(void* opaque, uint8_t* buffer, int size);
    static int64_t seek(void* opaque, int64_t offset, int whence);
    static int interrupted(void* opaque);

    const std::atomic<bool>& abort_;
    int fd_ = -1;
    AVIOContext* io_ = nullptr;
    AVFormatContext* format_ = nullptr;
    AVPacket* packet_ = nullptr;
    AVFrame* frame_ = nullptr;
    std::vector<Output> outputs_;
    std::vector<std::unique_ptr<Decoder>> decoders_;  // one per output, null for non-audio
    std::optional<QWORD> duration_;
    std::deque<Chunk> ready_;
    bool draining_ = false;
    int64_t decodedFrames_ = 0;
    int64_t decodeErrors_ = 0;
    HRESULT failure_ = S_OK;
};

}  // namespace wd::wm
