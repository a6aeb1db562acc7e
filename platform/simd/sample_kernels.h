// The loops over samples that run once per sample of a file: vectorised where the
// processor allows, with the same results as their plain loops everywhere.
#pragma once

#include <cstdint>

namespace wd {

/**
 * The minimum and maximum of channel's samples among count interleaved 16-bit samples in
 * this machine's byte order, of one or two channels (count a multiple of channels, at
 * least one frame).
 */
void minMaxPcm16(const unsigned char* samples, int count, int channels, int channel, int16_t& low, int16_t& high);

/**
 * The minimum and maximum of data[from, to) (to > from) by the floats' own comparisons
 * (x < min, x > max) in order, starting from the first sample: ties keep the first value
 * seen, which decides between -0.0 and +0.0, and a NaN counts only as the first sample.
 */
void minMaxFloat(const float* data, int from, int to, float& lo, float& hi);

/**
 * count frames of one channel of interleaved 16-bit samples in this machine's byte order
 * (one or two channels, frames at the first frame's first byte) as floats, as libsndfile
 * reads them: the value over 32,768.
 */
void pcm16ToFloat(const unsigned char* frames, int64_t count, int channels, int channel, float* dst);

/**
 * One or two channels of floats (right null for one) as interleaved 16-bit samples, each
 * as libsndfile stores it with clipping on, bit for bit: scaled to 32 bits, clipped there,
 * rounded to nearest (ties to even) and shifted down. A NaN is stored as silence (as it
 * converts it would be a full-scale click).
 */
void floatToPcm16(const float* left, const float* right, int count, int16_t* out);

}  // namespace wd
