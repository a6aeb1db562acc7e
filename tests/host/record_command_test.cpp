// The host's record command, run as a user runs it, on the null input device playing a
// known tone: the take is kept and saved, for the seconds asked or until Ctrl-C.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "support/signal.h"
#include "support/temp_dir.h"

namespace {

class RecordCommand : public ::testing::Test {
protected:
    /** The host's command line with this test's settings, the null input playing 1 kHz at
     * 0.25 and the devices running `speed` times real time. */
    std::string host(const std::string& args, const std::string& speed = "8") {
        return "WAVEDECK_REGISTRY='" + dir.file("registry") + "' XDG_CACHE_HOME='" + dir.file("cache") +
               "' WAVEDECK_AUDIO=null WAVEDECK_NULL_INPUT=tone:1000:0.25 WAVEDECK_AUDIO_SPEED=" + speed + " '" +
               WAVEDECK_PROGRAM "' " + args;
    }
    /** The saved take, read by libsndfile: stereo at 44.1 kHz holding the tone, of a
     * length within the range. */
    void expectTone(double shortest, double longest) {
        const wdtest::SoundFile file = wdtest::readSoundFile(dir.file("take.wav"));
        ASSERT_TRUE(file.ok) << "the take was not saved";
        EXPECT_EQ(file.channels, 2);
        EXPECT_EQ(file.sampleRate, 44100);
        EXPECT_GE(file.frames, shortest * 44100);
        EXPECT_LE(file.frames, longest * 44100);
        for (int c = 0; c < 2; ++c) {
            const std::vector<float> samples = wdtest::channel(file.samples, 2, c);
            EXPECT_NEAR(wdtest::dominantFrequency(samples, 44100), 1000.0, 2.0);
            EXPECT_NEAR(wdtest::rms(samples), 0.25 / std::sqrt(2.0), 0.002);
        }
    }

    wdtest::TempDir dir;
};

TEST_F(RecordCommand, RecordsTheSecondsAskedForAndSavesTheTake) {
    int code = -1;
    const std::string out = wdtest::runCommand(host("record -o '" + dir.file("take.wav") + "' --seconds 1 2>&1"), &code);
    EXPECT_EQ(code, 0) << out;
    EXPECT_NE(out.find("recording from Null Input 1"), std::string::npos) << out;
    EXPECT_NE(out.find("dBFS"), std::string::npos) << out;
    // It stops at the first buffer (0.127 s) past the second, or a little later.
    expectTone(1.0, 1.5);
}

TEST_F(RecordCommand, CtrlCStopsTheRecordingAndKeepsWhatWasRecorded) {
    // Once the host says it records, a second of recording, then Ctrl-C.
    const std::string log = dir.file("log");
    int code = -1;
    wdtest::runCommand(host("record -o '" + dir.file("take.wav") + "' 2>'" + log + "' & pid=$!; ", "1") +
                           "for i in $(seq 400); do grep -q 'recording from' '" + log +
                           "' && break; sleep 0.05; done; sleep 1; kill -INT $pid; wait $pid",
                       &code);
    EXPECT_EQ(code, 0) << wdtest::readFile(log);
    expectTone(0.5, 3.0);
}

TEST_F(RecordCommand, RefusesWhatItCannotDoAndSaysWhy) {
    for (const auto& [args, status, says] :
         {std::tuple{"record", 2, "give -o OUT"}, std::tuple{"record -o t.wav --seconds 0", 2, "--seconds takes"},
          std::tuple{"record -o t.xyz", 1, "names no format"},
          std::tuple{"record -o t.wav --device 3", 1, "there is no input device 3"},
          std::tuple{"record -o t.wav --line 7", 1, "no recording line 7"}}) {
        int code = -1;
        const std::string out = wdtest::runCommand(host(std::string(args) + " 2>&1"), &code);
        EXPECT_EQ(code, status) << args;
        EXPECT_NE(out.find(says), std::string::npos) << out;
    }
}

}  // namespace
