// What the tests of the lossy readers and writers share: files made by other programs,
// signals that tell their channels apart, and files the readers must survive.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "support/file_session.h"
#include "support/temp_dir.h"

namespace wdtest {

class CodecFixture : public ::testing::Test {
protected:
    /** Skips the test (visibly) when one of the programs is not installed. */
    void requirePrograms(std::initializer_list<const char*> programs);
    /** Runs a shell command, expecting status 0; what it printed. */
    std::string sh(const std::string& command);
    /** command with IN and OUT replaced by the quoted paths. */
    static std::string fill(std::string command, const std::string& in, const std::string& out);

    /** Writes a 100 Hz to 5 kHz sweep as a 16-bit WAV file; the interleaved floats as they
     * are in the file. */
    std::vector<float> writeSweep(const std::string& path, int channels, int rate, size_t frames);
    /** A stereo sweep whose channel 1 is channel 0 upside down, so a decoded channel tells
     * which it came from. */
    static std::vector<float> telltaleStereo(int rate, size_t frames);
    /** Selects [start, start + length) on channel 1 of a stereo track alone. */
    static void selectChannelOne(wd::Track& track, int start, int length);

    /** A file the readers must survive: its bytes, and the length of the track it gives
     * (minLength -1: it must fail cleanly, with no track left). */
    struct Hostile {
        std::string name, bytes;
        int minLength, maxLength;
    };
    /** Writes each file, keeps it for fuzzing, opens it and checks the outcome. */
    void expectHostileFiles(const std::vector<Hostile>& files);
    /** count bytes of deterministic noise. */
    static std::string noise(size_t count, uint32_t seed);

    FileSession files;
    TempDir dir;
};

}  // namespace wdtest
