// The encoder and multiplexer behind the Windows Media writer stand-in (FFmpeg).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/wmrt/wm_types.h"

struct AVFormatContext;
struct AVCodecContext;
struct AVFrame;
struct AVPacket;

namespace wd::wm {

/**
 * Writes 16-bit PCM as a WMA (version 2) stream in an ASF file.
 *
 * The codec needs the frame after a frame to decode it, and decoders drop the first
 * frame of a stream. So one frame of silence goes before the sound and one after it,
 * and the packets are stamped so that the sound starts at time 0 and the header's
 * duration is the length of the sound (rounded up to the millisecond): players and
 * FFmpeg start at the first sample, and the stand-in reader ends at the last.
 *
 * One thread at a time.
 */
class AsfEncoder {
public:
    /**
     * Creates the file (replacing one of that name) and writes the header.
     * @returns S_OK, NS_E_FILE_WRITE when the file cannot be made, or
     * NS_E_NO_MATCHING_FORMAT when the codec refuses the rate, channels or bit rate.
     */
    static HRESULT create(const std::string& path, int sampleRate, int channels, int bitRate,
                          std::unique_ptr<AsfEncoder>& encoder);
    /** Abandons an unfinished file: what was written stays, without a valid ending. */
    ~AsfEncoder();
    AsfEncoder(const AsfEncoder&) = delete;
    AsfEncoder& operator=(const AsfEncoder&) = delete;

    /** Appends frames of interleaved samples. NS_E_FILE_WRITE when writing fails. */
    HRESULT write(const int16_t* samples, int64_t frames);
    /** Appends frames of silence. */
    HRESULT writeSilence(int64_t frames);
    /** Frames appended so far (the padding not counted). */
    int64_t frames() const { return frames_; }
    /** Hands what is encoded to the file. */
    HRESULT flush();
    /** Pads and encodes the rest, completes the header and closes the file. */
    HRESULT finish();

private:
    AsfEncoder() = default;
    HRESULT open(const std::string& path, int sampleRate, int channels, int bitRate);
    /** Adds samples (channel-planar floats come from `next`) and encodes whole frames. */
    template <class Next>
    HRESULT append(int64_t frames, Next next);
    HRESULT encodeFrame();
    HRESULT writePackets();

    AVFormatContext* format_ = nullptr;
    AVCodecContext* codec_ = nullptr;
    AVFrame* frame_ = nullptr;
    AVPacket* packet_ = nullptr;
    bool headerWritten_ = false;
    bool ending_ = false;    // the sound is complete; what follows is padding
    bool finished_ = false;
    int channels_ = 0;
    int rate_ = 0;
    int frameSize_ = 0;
    int filled_ = 0;            // samples per channel in frame_
    int64_t frames_ = 0;        // sound frames appended
    int64_t soundEnd_ = 0;      // frames of sound, once ending_
    int64_t encodedFrames_ = 0;
    int64_t packets_ = 0;       // packets written (the first holds the leading silence)
    int64_t lastStampMs_ = INT64_MIN / 2;  // time of the last packet: stamps rise strictly
};

}  // namespace wd::wm
