/* The MP3 encoder library's interface: four entry points and their configuration
 * record. liblame_enc.so implements it; the engine loads it at start-up. */
#ifndef WAVEDECK_LAME_ENC_H
#define WAVEDECK_LAME_ENC_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/** A stream handle; 0 is never a valid stream. */
typedef unsigned long BeStream;
typedef uint32_t BeError;

#define BE_ERR_SUCCESSFUL 0u
#define BE_ERR_INVALID_FORMAT 1u
#define BE_ERR_INVALID_FORMAT_PARAMETERS 2u
#define BE_ERR_NO_MORE_HANDLES 3u
#define BE_ERR_INVALID_HANDLE 4u
#define BE_ERR_BUFFER_TOO_SMALL 5u

#define BE_CONFIG_MP3 0u

#define BE_MP3_MODE_STEREO 0
#define BE_MP3_MODE_JSTEREO 1
#define BE_MP3_MODE_DUALCHANNEL 2
#define BE_MP3_MODE_MONO 3

/** Bytes one call of beEncodeChunk or beDeinitStream produces at most. */
#define BE_MAX_OUTPUT_BYTES 8480u
/** Sample values (16-bit, interleaved for stereo) one beEncodeChunk call accepts at most. */
#define BE_MAX_CHUNK_VALUES 2048u

#pragma pack(push, 1)
/** Plain MP3 settings, packed without padding; byte offsets are fixed. */
typedef struct Mp3EncoderConfig {
    uint32_t configKind;  /* 0: BE_CONFIG_MP3 */
    uint32_t sampleRate;  /* 4: Hz */
    uint8_t mode;         /* 8: BE_MP3_MODE_... */
    uint16_t bitrate;     /* 9: kbit/s, constant */
    int32_t privateBit;   /* 11: private bit of the frame header */
    int32_t crc;          /* 15: CRC protection of the frames */
    int32_t copyright;    /* 19: rights bit of the frame header */
    int32_t original;     /* 23: original-or-copy bit of the frame header */
} Mp3EncoderConfig;
#pragma pack(pop)

#ifdef __cplusplus
static_assert(sizeof(Mp3EncoderConfig) == 27, "Mp3EncoderConfig is packed");
static_assert(offsetof(Mp3EncoderConfig, mode) == 8 && offsetof(Mp3EncoderConfig, bitrate) == 9 &&
                  offsetof(Mp3EncoderConfig, privateBit) == 11 && offsetof(Mp3EncoderConfig, crc) == 15 &&
                  offsetof(Mp3EncoderConfig, copyright) == 19 && offsetof(Mp3EncoderConfig, original) == 23,
              "Mp3EncoderConfig offsets");
#endif

/** Opens a stream. *samplesPerChunk suggests a chunk size (values), *outputBufferSize
 * the output buffer needed (BE_MAX_OUTPUT_BYTES); *stream is 0 on failure. */
typedef BeError (*BeInitStreamFn)(const Mp3EncoderConfig* config, uint32_t* samplesPerChunk,
                                  uint32_t* outputBufferSize, BeStream* stream);
/** Encodes count 16-bit values (interleaved for stereo; at most BE_MAX_CHUNK_VALUES)
 * and hands out at most BE_MAX_OUTPUT_BYTES of MP3 data; what does not fit is kept and
 * handed out by later calls. */
typedef BeError (*BeEncodeChunkFn)(BeStream stream, uint32_t count, const int16_t* samples, uint8_t* output,
                                   uint32_t* outputBytes);
/** Ends the stream and hands out what is left, at most BE_MAX_OUTPUT_BYTES: callers make
 * this call once (LAME's flush gives at most 7,200 bytes, and the chunks before it leave
 * at most a frame behind). */
typedef BeError (*BeDeinitStreamFn)(BeStream stream, uint8_t* output, uint32_t* outputBytes);
/** Frees the stream; valid after beDeinitStream or instead of it (a cancelled save). */
typedef BeError (*BeCloseStreamFn)(BeStream stream);

/* The entry points themselves, as liblame_enc.so exports them. */
__attribute__((visibility("default"))) BeError beInitStream(const Mp3EncoderConfig* config, uint32_t* samplesPerChunk,
                                                            uint32_t* outputBufferSize, BeStream* stream);
__attribute__((visibility("default"))) BeError beEncodeChunk(BeStream stream, uint32_t count, const int16_t* samples,
                                                             uint8_t* output, uint32_t* outputBytes);
__attribute__((visibility("default"))) BeError beDeinitStream(BeStream stream, uint8_t* output, uint32_t* outputBytes);
__attribute__((visibility("default"))) BeError beCloseStream(BeStream stream);

#ifdef __cplusplus
}
#endif

#endif /* WAVEDECK_LAME_ENC_H */
