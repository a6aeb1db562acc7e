// The host's effect command, run as a user runs it, with its output read back by libsndfile.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "support/signal.h"
#include "support/sound_files.h"
#include "support/temp_dir.h"

namespace {

class EffectCommand : public ::testing::Test {
protected:
    void SetUp() override {
        input = wdtest::toInt16(wdtest::sine(2, 8000, 16000, {300, 500}, 0.5));
        ASSERT_TRUE(wdtest::writePcm16(dir.file("in.wav"), SF_FORMAT_WAV, 2, 8000, input));
    }
    // Runs "wavedeck effect in.wav ARGS -o out.wav" with a registry and cache of its own.
    std::string effect(const std::string& args, int* code) {
        const std::string env =
            "WAVEDECK_REGISTRY='" + dir.file("registry") + "' XDG_CACHE_HOME='" + dir.file("cache") + "' ";
        return wdtest::runCommand(env + "'" WAVEDECK_PROGRAM "' effect '" + dir.file("in.wav") + "' " + args + " -o '" +
                                      dir.file("out.wav") + "' 2>&1",
                                  code);
    }
    wdtest::TempDir dir;
    std::vector<int16_t> input;
};

TEST_F(EffectCommand, ReversesAWholeFile) {
    int code = -1;
    const std::string out = effect("--id reverse", &code);
    ASSERT_EQ(code, 0) << out;
    EXPECT_NE(out.find("reverse"), std::string::npos) << "a progress bar is shown: " << out;
    const auto output = wdtest::readPcm16(dir.file("out.wav"));
    ASSERT_EQ(output.size(), input.size());
    for (size_t frame = 0; frame < 16000; ++frame) {
        for (size_t c = 0; c < 2; ++c) ASSERT_EQ(output[frame * 2 + c], input[(15999 - frame) * 2 + c]) << frame;
    }
}

TEST_F(EffectCommand, BuildsTheParameterBlockFromNamesAndWorksOnTheDraggedSelection) {
    int code = -1;
    const std::string out = effect("--id 6 --param delay-ms=100 --param decay=0.25 --select 0.5:1.5", &code);
    ASSERT_EQ(code, 0) << out;
    const auto output = wdtest::readPcm16(dir.file("out.wav"));
    ASSERT_EQ(output.size(), input.size());
    // The drag lands on columns of ceil(16000 / 565) = 29 samples: the echo starts within a
    // column of 0.5 s and repeats 800 samples later at a quarter of the level.
    const size_t first = 4000 / 29 * 29, delay = 800;
    for (size_t i = 0; i < first; ++i) ASSERT_EQ(output[i * 2], input[i * 2]) << "before the selection, frame " << i;
    for (size_t i = first + delay; i < first + 2 * delay; ++i) {
        const double expected = input[i * 2] + 0.25 * input[(i - delay) * 2];
        ASSERT_NEAR(output[i * 2], expected, 2) << "frame " << i;
    }
}

TEST_F(EffectCommand, ListsEveryEffectAndSaysWhatItRefuses) {
    int code = -1;
    const std::string help = wdtest::runCommand("'" WAVEDECK_PROGRAM "' help effect", &code);
    EXPECT_EQ(code, 0);
    for (const char* name : {" 1 amplify", "12 speed", "delay-ms", "[0.75]", "22 convert", "25 gain-ramp"}) {
        EXPECT_NE(help.find(name), std::string::npos) << name << " in " << help;
    }
    effect("--id 99", &code);
    EXPECT_EQ(code, 2) << "no such effect";
    effect("--id echo --param loudness=3", &code);
    EXPECT_EQ(code, 2) << "no such parameter";
    const std::string out = effect("--id low-pass --param cutoff=4000", &code);
    EXPECT_EQ(code, 1) << "half the rate is refused: " << out;
    EXPECT_NE(out.find("refused"), std::string::npos) << out;
}

}  // namespace
