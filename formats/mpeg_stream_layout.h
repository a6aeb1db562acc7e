// Where the audio frames of an MPEG audio file lie, and what its encoder's info frame says.
#pragma once

#include <cstdint>

namespace wd {

/**
 * The part of an MPEG audio file that holds frames: tags at either end (ID3v2 before,
 * ID3v1, APE and Lyrics3 after) are not audio and are left out, and so is the encoder's
 * info frame (Xing, Info or VBRI), which decoders would otherwise turn into a frame of
 * silence. When the info frame carries a LAME tag (written by LAME and FFmpeg), it gives
 * the encoder's delay and padding, from which the original length follows.
 */
struct MpegStreamLayout {
    /** Decoder delay of the layer III synthesis, in samples, as LAME's gapless tag
     * assumes it (the tag's delay counts only the encoder's part). */
    static constexpr int kDecoderDelay = 529;

    int64_t audioStart = 0;  ///< first byte of the first audio frame (bytes)
    int64_t audioEnd = 0;    ///< one past the last byte before the trailing tags (bytes)
    bool gapless = false;    ///< a LAME tag gave the delay and padding below
    int encoderDelay = 0;    ///< samples the encoder put before the audio
    int encoderPadding = 0;  ///< samples it added after the audio
    uint32_t frameCount = 0; ///< audio frames the info frame counts (0: not given)

    /**
     * Reads the tags and the first frame of a file. Never fails: what it cannot make
     * sense of counts as audio (the whole file in the worst case).
     * @param fd an open file, read with pread (its offset is not moved)
     * @param fileSize the file's size in bytes
     */
    static MpegStreamLayout scan(int fd, int64_t fileSize);
};

}  // namespace wd
