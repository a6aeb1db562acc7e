// The host's record command, run as a user runs it, on the null input device playing a
// known tone: the take is kept and saved, for the seconds asked or until Ctrl-C.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <string>
#include <thread>

#include "support/signal.h"
#include "support/temp_dir.h"

namespace {

class RecordCommand : public ::testing::Test {
protected:
    /** Runs the host with this test's settings, the null input playing 1 kHz at 0.25 and
     * the devices running 8 times real time; what it printed. */
    std::string run(const std::string& args, int* code) {
        const std::string env = "WAVEDECK_REGISTRY='" + dir.file("registry") + "' XDG_CACHE_HOME='" +
                                dir.file("cache") +
                                "' WAVEDECK_AUDIO=null WAVEDECK_NULL_INPUT=tone:1000:0.25 WAVEDECK_AUDIO_SPEED=8 ";
        return wdtest::runCommand(env + "'" WAVEDECK_PROGRAM "' " + args + " 2>&1", code);
    }
    /** The saved take: stereo at 44.1 kHz holding the tone, of a length within the range. */
    void expectTone(const std::string& path, double shortest, double longest) {
        const wdtest::SoundFile file = wdtest::readSoundFile(path);
        ASSERT_TRUE(file.ok) << path << " cannot be read";
        EXPECT_EQ(file.channels, 2);
        EXPECT_EQ(file.sampleRate, 44100);
        const double seconds = static_cast<double>(file.frames) / 44100;
        EXPECT_GE(seconds, shortest);
        EXPECT_LE(seconds, longest);
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
    const std::string out = run("record -o '" + dir.file("take.wav") + "' --seconds 1", &code);
    EXPECT_EQ(code, 0) << out;
    EXPECT_NE(out.find("recording from Null Input 1"), std::string::npos) << out;
    EXPECT_NE(out.find("dBFS"), std::string::npos) << out;
    // Recording stops at the first buffer (0.127 s) past the second, give or take what
    // arrives before the host looks again.
    expectTone(dir.file("take.wav"), 1.0, 1.5);
}

TEST_F(RecordCommand, CtrlCStopsTheRecordingAndKeepsWhatWasRecorded) {
    int err[2];
    ASSERT_EQ(::pipe(err), 0);
    const pid_t pid = fork();
    if (pid == 0) {
        ::setenv("WAVEDECK_REGISTRY", dir.file("registry").c_str(), 1);
        ::setenv("XDG_CACHE_HOME", dir.file("cache").c_str(), 1);
        ::setenv("WAVEDECK_AUDIO", "null", 1);
        ::setenv("WAVEDECK_NULL_INPUT", "tone:1000:0.25", 1);
        ::setenv("WAVEDECK_AUDIO_SPEED", "1", 1);
        ::dup2(err[1], 2);
        ::close(err[0]);
        const std::string out = dir.file("take.wav");
        ::execl(WAVEDECK_PROGRAM, WAVEDECK_PROGRAM, "record", "-o", out.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    ::close(err[1]);
    // Once it says it records, a second of recording, then Ctrl-C.
    std::string said;
    char buffer[256];
    ssize_t n = 0;
    while (said.find("recording from") == std::string::npos && (n = ::read(err[0], buffer, sizeof buffer)) > 0) {
        said.append(buffer, static_cast<size_t>(n));
    }
    EXPECT_NE(said.find("recording from"), std::string::npos) << said;
    std::this_thread::sleep_for(std::chrono::seconds(1));
    ::kill(pid, SIGINT);
    while (::read(err[0], buffer, sizeof buffer) > 0) {
    }
    ::close(err[0]);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
    expectTone(dir.file("take.wav"), 0.5, 3.0);
}

TEST_F(RecordCommand, RefusesWhatItCannotDoAndSaysWhy) {
    struct Case {
        std::string args;
        int code;
        std::string says;
    };
    for (const Case& c : {Case{"record", 2, "give -o OUT"}, Case{"record -o t.wav --seconds 0", 2, "--seconds takes"},
                          Case{"record -o t.xyz", 1, "names no format"},
                          Case{"record -o t.wav --device 3", 1, "there is no input device 3"},
                          Case{"record -o t.wav --line 7", 1, "no recording line 7"}}) {
        SCOPED_TRACE(c.args);
        int code = -1;
        const std::string out = run(c.args, &code);
        EXPECT_EQ(code, c.code);
        EXPECT_NE(out.find(c.says), std::string::npos) << out;
    }
}

}  // namespace
