// Conversions between the tracks' float samples and 8-bit, 16-bit and interleaved forms.
#pragma once

#include <cstdint>

namespace wd {

class Channel;

/**
 * Stateless. Floats are nominally -1.0 to 1.0. Integer to float scales negative values by
 * 1/128 (8-bit) or 1/32768 (16-bit) and the others by 1/127 or 1/32767, so both ends map
 * to exactly -1.0 and 1.0; float to 16-bit multiplies by 32767.5 and truncates toward
 * zero, so a non-negative 16-bit value survives a round trip unchanged and a negative one
 * comes back one step closer to zero. Negative counts convert nothing. Any thread.
 */
class SampleConverter {
public:
    /** count unsigned 8-bit samples (128 is silence) to floats. */
    static void pcm8ToFloat(const uint8_t* src, int count, float* dst);
    /** byteCount / 2 signed 16-bit samples to floats. */
    static void pcm16ToFloat(const int16_t* src, int byteCount, float* dst);
    /** byteCount / 4 floats to 16-bit; each source value is first clamped to -1.0..1.0 in
     * place (NaN becomes 0.0). @returns the samples converted. */
    static int floatToPcm16(float* src, int byteCount, int16_t* dst);

    /**
     * Writes first[i] and second[i] alternately into dst. format 0, 1: one-byte samples,
     * count samples per channel; 2, 3: two-byte samples, count bytes per channel; 4, 5, 6:
     * four-byte samples, count bytes per channel.
     * @returns the pairs written; 0 for another format or count.
     */
    static int interleavePair(const void* first, const void* second, int format, int count, void* dst);

    /**
     * The reverse: even units of src go to firstDst, odd ones to secondDst. format 8, 9:
     * one-byte units; 10, 11: two-byte; 12, 13, 14: four-byte; count is bytes of src.
     * @returns the units read (both channels together); 0 for another format.
     */
    static int deinterleavePair(const void* src, int format, int count, void* firstDst, void* secondDst);

    /** count samples of the channel from start as 16-bit (the player's read).
     * @returns the samples delivered: fewer at the end, 0 for count < 1. */
    static int readChannelPcm16(const Channel& channel, int16_t* dst, int start, int count);
};

}  // namespace wd
