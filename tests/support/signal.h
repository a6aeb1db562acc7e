// Test signals and measurements on them.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace wdtest {

/** frames of an interleaved sine per channel (frequency per channel), amplitude 0..1. */
std::vector<float> sine(int channels, int sampleRate, size_t frames, const std::vector<double>& frequencies,
                        double amplitude);
/** frames of an interleaved logarithmic sweep from f0 to f1 Hz, the same in every channel:
 * no stretch of it repeats, so a decoded copy lines up with it at one delay only. */
std::vector<float> sweep(int channels, int sampleRate, size_t frames, double f0, double f1, double amplitude);
/** The delay, 0 to maxLag samples, at which decoded lines up best with the start of reference. */
int bestLag(const std::vector<float>& reference, const std::vector<float>& decoded, int maxLag);
/** Signal-to-noise ratio in dB of decoded, read from lag on, against the whole reference. */
double snrDb(const std::vector<float>& reference, const std::vector<float>& decoded, int lag);
/** Rounds floats in -1..1 to 16-bit values, clipping. */
std::vector<int16_t> toInt16(const std::vector<float>& samples);
/** One channel of an interleaved signal. */
std::vector<float> channel(const std::vector<float>& interleaved, int channels, int which);
/** The frequency of the strongest sine in samples, by a fine search of the spectrum around
 * the zero-crossing estimate (Hz). */
double dominantFrequency(const std::vector<float>& samples, int sampleRate);
/** Root mean square of the samples. */
double rms(const std::vector<float>& samples);

/** A whole sound file read with libsndfile as float frames. */
struct SoundFile {
    bool ok = false;
    int sampleRate = 0;
    int channels = 0;
    int64_t frames = 0;
    int format = 0;
    std::vector<float> samples;  // interleaved
};
SoundFile readSoundFile(const std::string& path);

/** Runs a command with the shell and returns what it printed on stdout; exitCode gets its
 * status (-1 when it could not be started). */
std::string runCommand(const std::string& command, int* exitCode = nullptr);
/** The system's pipe from a command's output (popen), and its exit status once closed
 * (-1 when it did not exit). */
FILE* openCommandPipe(const std::string& command);
int closeCommandPipe(FILE* pipe);
/** True when the program is on PATH. */
bool haveProgram(const std::string& name);

}  // namespace wdtest
