// Saving tracks as Windows Media audio through the exports, read back by ffmpeg and by the
// library itself.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "model/track.h"
#include "model/track_list.h"
#include "support/file_fixture.h"
#include "support/signal.h"
#include "wavedeck.h"
#include "wavedeck_messages.h"
#include "wma_files.h"

namespace {

using namespace std::chrono_literals;
using wd::Track;
using wd::TrackList;

constexpr int kWma = 3;

class WmaExport : public wdtest::FileFixture {
protected:
    /** A current track holding a sine per channel (amplitude 0.5) of frames samples. */
    Track* makeTrack(int rate, const std::vector<double>& frequencies, int frames) {
        const int channels = static_cast<int>(frequencies.size());
        Track* track = TrackList::instance().addTrack("source");
        EXPECT_EQ(track->setChannelCount(channels), channels);
        track->sampleRate = rate;
        const auto signal = wdtest::sine(channels, rate, static_cast<size_t>(frames), frequencies, 0.5);
        for (int c = 0; c < channels; ++c) {
            const auto one = wdtest::channel(signal, channels, c);
            EXPECT_EQ(track->channel(c)->sequence().appendSamples(one.data(), frames), frames);
            EXPECT_GE(track->channel(c)->sequence().flushAppend(), 0);
        }
        TrackList::instance().setCurrent(track);
        return track;
    }

    /** Files in the test folder other than the given ones (left-over temporary files). */
    std::vector<std::string> otherFiles(const std::vector<std::string>& expected) const {
        std::vector<std::string> others;
        for (const auto& e : std::filesystem::directory_iterator(dir.path())) {
            const std::string name = e.path().filename().string();
            if (std::find(expected.begin(), expected.end(), name) == expected.end()) others.push_back(name);
        }
        return others;
    }
};

// Signal-to-noise ratio of decoded against the source, over count samples, in dB.
double snr(const std::vector<float>& source, const std::vector<float>& decoded, size_t count) {
    double signal = 0, noise = 0;
    for (size_t i = 0; i < count; ++i) {
        signal += static_cast<double>(source[i]) * source[i];
        noise += (static_cast<double>(decoded[i]) - source[i]) * (static_cast<double>(decoded[i]) - source[i]);
    }
    return 10 * std::log10(signal / std::max(noise, 1e-30));
}

TEST_F(WmaExport, OtherDecodersReadTheSoundFromItsFirstSampleForItsLength) {
    WMATEST_NEEDS_FFMPEG();
    const int frames = 3 * 44100 + 123;
    Track* source = makeTrack(44100, {1000, 1500}, frames);
    const std::string path = dir.file("round.wma");
    ASSERT_TRUE(save(path, kWma));
    EXPECT_EQ(wmatest::probe(path, "stream=codec_name"), "wmav2");
    EXPECT_EQ(wmatest::probe(path, "stream=channels"), "2");
    EXPECT_EQ(wmatest::probe(path, "stream=bit_rate"), "128000") << "the stored setting (128 kbit/s at first start)";
    // The container keeps milliseconds; the padding frames are not part of the duration.
    EXPECT_NEAR(std::stod(wmatest::probe(path, "format=duration")), frames / 44100.0, 0.0011);
    const auto decoded = wmatest::decodedSamples(path);
    ASSERT_GE(decoded.size(), static_cast<size_t>(frames));
    // From the first sample on: a shift of one sample alone would leave 17 dB of a 1 kHz
    // sine (20 log10 of 1 / (2 sin(pi 1000 / 44100))); the codec keeps about 45 dB.
    const auto original = samplesOf(*source, 0);
    EXPECT_GT(snr(original, decoded, 2048), 30.0) << "the first frame";
    EXPECT_GT(snr(original, decoded, static_cast<size_t>(frames)), 30.0) << "the whole sound";

    Track* back = open(path);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->channelCount(), 2);
    EXPECT_GE(back->length(), frames);
    EXPECT_LE(back->length(), frames + 44) << "within the millisecond the container rounds to";
    EXPECT_GT(snr(original, samplesOf(*back, 0), static_cast<size_t>(frames)), 30.0);
}

TEST_F(WmaExport, ProgressCountsSamplesAndTheEndComesToBothWindowsInOrder) {
    makeTrack(22050, {440}, 5000);
    WDXSetFormatQuality(2, 32);
    ASSERT_TRUE(save(dir.file("p.wma"), kWma));
    EXPECT_EQ(progress(NotifySaveProgress), (std::vector<LPARAM>{1024, 2048, 3072, 4096, 5000}));
    EXPECT_EQ(host.messages(progressWindow, NotifySaveProgress).back().wParam, 5000u);
    std::vector<UINT> ends;
    for (const auto& m : host.log()) {
        if (m.message == NotifySaveDone || m.message == MsgSaveComplete) ends.push_back(m.message);
    }
    EXPECT_EQ(ends, (std::vector<UINT>{NotifySaveDone, MsgSaveComplete}));
}

TEST_F(WmaExport, TheBitRateSettingPicksTheCodecFormatOrTheSaveFails) {
    WMATEST_NEEDS_FFMPEG();
    struct Case {
        int rate;
        int kbps;
        const char* bitRate;  // empty: no format fits
    };
    const Case cases[] = {{44100, 64, "64000"}, {44100, 128, "128000"}, {44100, 100, ""}, {96000, 128, ""}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.rate) + " Hz at " + std::to_string(c.kbps));
        makeTrack(c.rate, {440, 440}, c.rate / 2);
        WDXSetFormatQuality(2, c.kbps);
        const std::string path = dir.file("q.wma");
        ASSERT_TRUE(wdtest::writeFile(path, "older file"));
        const bool saved = save(path, kWma);
        EXPECT_EQ(saved, *c.bitRate != 0);
        if (saved) {
            EXPECT_EQ(wmatest::probe(path, "stream=bit_rate"), c.bitRate);
        } else {
            EXPECT_EQ(host.count(progressWindow, NotifySaveFailed), 1u);
            EXPECT_EQ(host.count(main, MsgSaveFailed), 1u);
            EXPECT_EQ(wdtest::readFile(path), "older file") << "the target stays as it was";
        }
        EXPECT_TRUE(otherFiles({"q.wma"}).empty());
    }
}

TEST_F(WmaExport, ASelectionOfChannelOneIsWrittenAsAMonoFileOfItsRange) {
    WMATEST_NEEDS_FFMPEG();
    Track* track = makeTrack(44100, {440, 2000}, 44100);
    for (int c = 0; c < 2; ++c) {
        track->channel(c)->selStart = 4410;
        track->channel(c)->selLength = 22050;
    }
    track->channel(0)->selectedFlag = false;
    track->channel(1)->selectedFlag = true;
    const std::string path = dir.file("sel.wma");
    ASSERT_TRUE(save(path, kWma, true));
    EXPECT_EQ(wmatest::probe(path, "stream=channels"), "1");
    EXPECT_NEAR(std::stod(wmatest::probe(path, "format=duration")), 0.5, 0.0011);
    auto decoded = wmatest::decodedSamples(path);
    ASSERT_GE(decoded.size(), 22050u);
    decoded.resize(22050);  // without the silence that follows the sound
    EXPECT_NEAR(wdtest::dominantFrequency(decoded, 44100), 2000, 4.0);
}

TEST_F(WmaExport, CancellingLeavesTheTargetAsItWasAndReportsOnlyToTheMainWindow) {
    WMATEST_NEEDS_FFMPEG();
    makeTrack(44100, {440, 440}, 44100 * 120);
    const std::string path = dir.file("cancel.wma");
    ASSERT_TRUE(wdtest::writeFile(path, "older file"));
    host.clearLog();
    ASSERT_EQ(WDXSaveTrackFile(progressWindow, path.c_str(), kWma), 0);
    ASSERT_TRUE(host.waitForMessage(progressWindow, NotifySaveProgress));
    EXPECT_EQ(WDXCancelSaveFile(), 0);
    host.pumpFor(100ms);
    EXPECT_EQ(host.count(main, MsgSaveCancelled), 1u);
    EXPECT_EQ(host.count(main, MsgSaveComplete) + host.count(main, MsgSaveFailed), 0u);
    EXPECT_EQ(host.count(progressWindow, NotifySaveDone) + host.count(progressWindow, NotifySaveFailed), 0u);
    EXPECT_EQ(wdtest::readFile(path), "older file");
    EXPECT_TRUE(otherFiles({"cancel.wma"}).empty()) << "no temporary file is left";
}

TEST_F(WmaExport, AnEmptyTrackIsSavedAsAFileThatOpensEmpty) {
    makeTrack(44100, {440, 440}, 0);
    const std::string path = dir.file("empty.wma");
    ASSERT_TRUE(save(path, kWma));
    Track* back = open(path);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->length(), 0);
    EXPECT_EQ(back->channelCount(), 2);
}

TEST_F(WmaExport, TheHostConvertsToAndFromWma) {
    WMATEST_NEEDS_FFMPEG();
    ASSERT_TRUE(wmatest::ffmpeg(wmatest::sineInput(32000, 2, 1.0, 440) + " -c:a pcm_s16le '" + dir.file("in.wav") + "'"));
    WDXSetFormatQuality(2, 48);
    int code = -1;
    const std::string program = WAVEDECK_PROGRAM;
    wdtest::runCommand(program + " convert '" + dir.file("in.wav") + "' -o '" + dir.file("out.wma") + "' 2>&1", &code);
    ASSERT_EQ(code, 0);
    EXPECT_EQ(wmatest::probe(dir.file("out.wma"), "stream=bit_rate"), "48000");
    const std::string info = wdtest::runCommand(program + " info '" + dir.file("out.wma") + "' 2>/dev/null", &code);
    EXPECT_EQ(code, 0);
    EXPECT_NE(info.find("sample rate: 32000 Hz"), std::string::npos) << info;
    EXPECT_NE(info.find("channels:    2"), std::string::npos) << info;
    EXPECT_NE(info.find("duration:    0:01.00"), std::string::npos) << info;
}

}  // namespace
