// Windows Media files for the tests: made and read back by ffmpeg, and damaged on purpose.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "support/signal.h"

/** Skips the test where the ffmpeg program is not at hand (a Windows build under Wine):
 * it makes the test's inputs or reads its outputs. */
#define WMATEST_NEEDS_FFMPEG() \
    if (!wdtest::haveProgram("ffmpeg")) GTEST_SKIP() << "needs the ffmpeg program"

namespace wmatest {

/** Runs ffmpeg quietly with these arguments (inputs and outputs); true on success. */
bool ffmpeg(const std::string& arguments);
/** An ffmpeg input of a sine at amplitude 1/8, the same on both channels of a stereo one. */
std::string sineInput(int rate, int channels, double seconds, double frequency);
/** At most the first second of samples (measurements on long signals take long). */
std::vector<float> firstSecond(const std::vector<float>& samples, int rate);
/** Frames of the file's first audio stream as ffmpeg decodes it. */
long decodedFrames(const std::string& path);
/** ffprobe's value of one entry (for example "format=duration" or "stream=bit_rate"). */
std::string probe(const std::string& path, const std::string& entry);
/** The first channel of the file's first audio stream as ffmpeg decodes it. */
std::vector<float> decodedSamples(const std::string& path);

/** An ASF file with a content-encryption object added to its header (the DRM flag). */
std::string withEncryptionObject(const std::string& asf);
/** An ASF file whose audio stream claims another codec (format tag). */
std::string withAudioFormatTag(const std::string& asf, uint16_t tag);

}  // namespace wmatest
