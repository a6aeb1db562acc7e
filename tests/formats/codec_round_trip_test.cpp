// What the library saves in a lossy format it opens again with the same sound: the same
// channels and rate, the length give or take the codec's delay and padding, the pitch and
// the level. Both halves run in this process, so a build whose encoder and decoder
// disagree (another system, another library version) shows here without outside tools.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "formats/exporter.h"
#include "model/track.h"
#include "support/file_fixture.h"
#include "support/signal.h"
#include "support/sound_files.h"

namespace {

constexpr int kRate = 44100;
constexpr int kFrames = kRate;
constexpr double kToneHz = 1000.0;
constexpr double kAmplitude = 0.25;

class CodecRoundTrip : public wdtest::FileFixture {};

TEST_F(CodecRoundTrip, ASavedToneOpensAgainWithItsLengthPitchAndLevel) {
    const std::vector<float> tone = wdtest::sine(2, kRate, kFrames, {kToneHz, kToneHz}, kAmplitude);
    ASSERT_TRUE(wdtest::writePcm16(dir.file("tone.wav"), SF_FORMAT_WAV, 2, kRate, wdtest::toInt16(tone)));
    struct Case {
        const char* name;
        int type;
        int extraFrames;  // the most the codec adds: encoder delay and the last frame's padding
    } cases[] = {
        {"tone.mp3", wd::kExportMp3, 2 * 1152 + 576},
        {"tone.wma", wd::kExportWma, 2 * 2048},
        {"tone.ogg", wd::kExportOggVorbis, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(open(dir.file("tone.wav")));
        ASSERT_TRUE(save(dir.file(c.name), c.type));
        const wd::Track* back = open(dir.file(c.name));
        ASSERT_TRUE(back);
        EXPECT_EQ(back->channelCount(), 2);
        EXPECT_EQ(back->sampleRate, kRate);
        EXPECT_GE(back->length(), kFrames);
        EXPECT_LE(back->length(), kFrames + c.extraFrames);
        for (int channel = 0; channel < 2; ++channel) {
            const std::vector<float> samples = samplesOf(*back, channel);
            // The middle half: away from the codec's fade-in and the padding.
            const std::vector<float> middle(samples.begin() + kFrames / 4, samples.begin() + 3 * kFrames / 4);
            EXPECT_NEAR(wdtest::dominantFrequency(middle, kRate), kToneHz, 5.0);
            EXPECT_NEAR(20 * std::log10(wdtest::rms(middle) / (kAmplitude / std::sqrt(2.0))), 0.0, 1.0);
        }
    }
}

}  // namespace
