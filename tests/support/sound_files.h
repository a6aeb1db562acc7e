// Sound files made by tests, written and read with libsndfile.
#pragma once

#include <sndfile.h>

#include <cstdint>
#include <string>
#include <vector>

namespace wdtest {

/** Writes interleaved 16-bit frames; format is SF_FORMAT_WAV, SF_FORMAT_AIFF, ... (16-bit
 * PCM is added). @returns false on failure. */
bool writePcm16(const std::string& path, int format, int channels, int sampleRate, const std::vector<int16_t>& samples);
/** Writes a µ-law WAV: a file an open copies into block files (PCM is read in place and
 * opens at once), for tests that must catch an open, or its blocks, while it reads. */
bool writeUlawWav(const std::string& path, int channels, int sampleRate, const std::vector<int16_t>& samples);
/** Whether libsndfile was built with its MPEG decoder. */
bool libsndfileReadsMp3();
/** Reads a whole file as interleaved 16-bit values; channels and rate reported when
 * non-null. Empty on failure (check ok). */
std::vector<int16_t> readPcm16(const std::string& path, int* channels = nullptr, int* sampleRate = nullptr,
                               bool* ok = nullptr);
/** Deterministic noise-like 16-bit values covering the whole range, with the extremes
 * -32768 and 32767 included. */
std::vector<int16_t> testPattern(size_t count, uint32_t seed);

/** Keeps a copy of a file the readers must survive (a damaged or hostile file) in the
 * fuzzing seed corpus: <build>/test-output/corpus/sound-files/<prefix><name>. */
void keepForFuzzing(const std::string& path, const std::string& prefix = "");

}  // namespace wdtest
