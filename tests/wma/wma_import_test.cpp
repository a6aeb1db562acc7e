// Opening Windows Media audio files, written by an independent encoder (ffmpeg), through
// the exports.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>

#include "model/track.h"
#include "model/track_list.h"
#include "support/file_fixture.h"
#include "support/process_info.h"
#include "support/signal.h"
#include "support/sound_files.h"
#include "wavedeck.h"
#include "wavedeck_messages.h"
#include "wma_files.h"

namespace {

using namespace std::chrono_literals;
using wd::Track;
using wd::TrackList;

class WmaImport : public wdtest::FileFixture {
protected:
    void SetUp() override {
        WMATEST_NEEDS_FFMPEG();
        wdtest::FileFixture::SetUp();
    }
};

struct EncodedFile {
    const char* codec;
    int rate;
    int channels;
    double seconds;
    double frequency;
};

TEST_F(WmaImport, FilesOfTheOtherEncoderOpenWithTheirRateChannelsAndLength) {
    const EncodedFile files[] = {
        {"wmav2", 44100, 2, 30.5, 440}, {"wmav2", 22050, 1, 2.0, 1000}, {"wmav1", 48000, 2, 1.5, 700},
        {"wmav1", 16000, 1, 1.2, 300},
    };
    for (const auto& f : files) {
        SCOPED_TRACE(std::string(f.codec) + " " + std::to_string(f.rate));
        const std::string path = dir.file(std::string(f.codec) + "-" + std::to_string(f.rate) + ".wma");
        ASSERT_TRUE(wmatest::ffmpeg(wmatest::sineInput(f.rate, f.channels, f.seconds, f.frequency) + " -c:a " + f.codec +
                                    " -b:a 64k '" + path + "'"));
        Track* track = open(path);
        ASSERT_TRUE(track);
        EXPECT_EQ(track->channelCount(), f.channels);
        EXPECT_EQ(track->sampleRate, f.rate);
        EXPECT_EQ(track->name(), path);
        // What the other decoder makes of the file is the reference for its length.
        EXPECT_EQ(track->length(), wmatest::decodedFrames(path));
        EXPECT_NEAR(wdtest::dominantFrequency(wmatest::firstSecond(samplesOf(*track, f.channels - 1), f.rate), f.rate), f.frequency, 2.0);
        const auto steps = host.messages(progressWindow, NotifyImportProgress);
        ASSERT_FALSE(steps.empty());
        // Expected frames: whole seconds of the stated duration times the rate.
        EXPECT_EQ(steps.back().wParam, static_cast<WPARAM>(static_cast<int>(f.seconds) * f.rate));
        EXPECT_EQ(steps.back().lParam, track->length());
    }
}

TEST_F(WmaImport, AFileThatStatesNoDurationReportsProgressAgainstOneHundredThousandFrames) {
    const std::string path = dir.file("streamed.wma");
    // Written to a pipe, the muxer cannot go back to fill in the header's duration.
    ASSERT_TRUE(wmatest::ffmpeg(wmatest::sineInput(44100, 1, 1.0, 500) + " -c:a wmav2 -f asf - > '" + path + "'"));
    ASSERT_TRUE(open(path));
    EXPECT_EQ(host.messages(progressWindow, NotifyImportProgress).back().wParam, 100000u);
}

TEST_F(WmaImport, AnEightBitMonoStreamConvertsOneValuePerByte) {
    const std::string path = dir.file("u8.wma");
    ASSERT_TRUE(wmatest::ffmpeg("-f lavfi -i 'aevalsrc=(mod(n\\,256)-128)/128:s=8000:d=0.5' -c:a pcm_u8 -f asf '" + path + "'"));
    Track* track = open(path);
    ASSERT_TRUE(track);
    ASSERT_EQ(track->length(), 4000);
    auto got = samplesOf(*track, 0);
    for (int i = 0; i < 4000; ++i) {
        const int byte = i % 256;
        ASSERT_FLOAT_EQ(got[static_cast<size_t>(i)], byte >= 128 ? (byte - 128) / 127.0f : (byte - 128) / 128.0f) << i;
    }
}

TEST_F(WmaImport, TheFirstAudioStreamIsTakenFromAFileWithVideoAndTwoAudioStreams) {
    const std::string path = dir.file("movie.wma");
    ASSERT_TRUE(wmatest::ffmpeg("-f lavfi -i testsrc=d=1:s=64x48:r=10 " + wmatest::sineInput(44100, 2, 1.0, 600) + " " +
                                wmatest::sineInput(22050, 1, 1.0, 1500) +
                                " -map 0 -map 1 -map 2 -c:v wmv2 -c:a wmav2 -b:a 64k '" + path + "'"));
    Track* track = open(path);
    ASSERT_TRUE(track);
    EXPECT_EQ(track->channelCount(), 2);
    EXPECT_EQ(track->sampleRate, 44100);
    EXPECT_NEAR(wdtest::dominantFrequency(wmatest::firstSecond(samplesOf(*track, 0), 44100), 44100), 600, 2.0);
}

TEST_F(WmaImport, BadFilesFailCleanlyAndLeaveNoTrack) {
    const std::string good = dir.file("good.wma");
    ASSERT_TRUE(wmatest::ffmpeg(wmatest::sineInput(44100, 2, 1.0, 440) + " -c:a wmav2 '" + good + "'"));
    const std::string bytes = wdtest::readFile(good);
    std::string random(20000, '\0');
    for (size_t i = 0; i < random.size(); ++i) random[i] = static_cast<char>(i * 2654435761u >> 13);
    std::vector<std::pair<std::string, std::string>> bad = {
        {"random.wma", random},
        {"text.wma", "This is a text file with the name of a Windows Media file.\n"},
        {"zero.wma", ""},
        {"header-cut.wma", bytes.substr(0, 200)},
        {"protected.wma", wmatest::withEncryptionObject(bytes)},
        {"no-codec.wma", wmatest::withAudioFormatTag(bytes, 0x7A7A)},
    };
    const std::string video = dir.file("video-only.wma");
    ASSERT_TRUE(wmatest::ffmpeg("-f lavfi -i testsrc=d=0.5:s=64x48:r=10 -c:v wmv2 -f asf '" + video + "'"));
    bad.emplace_back("video-only.wma", wdtest::readFile(video));
    std::vector<std::string> paths;
    for (const auto& [name, content] : bad) {
        ASSERT_TRUE(wdtest::writeFile(dir.file(name), content));
        paths.push_back(dir.file(name));
    }
    paths.push_back(dir.file("missing.wma"));
    ASSERT_TRUE(std::filesystem::create_directory(dir.file("folder.wma")));
    paths.push_back(dir.file("folder.wma"));
    if (wdtest::makeFifo(dir.file("fifo.wma"))) paths.push_back(dir.file("fifo.wma"));
    for (const auto& path : paths) {
        SCOPED_TRACE(path);
        wdtest::keepForFuzzing(path, "wma-");
        EXPECT_EQ(open(path), nullptr);
        EXPECT_EQ(host.count(main, MsgImportFailed), 1u);
        EXPECT_EQ(host.count(progressWindow, NotifyImportFailed), 1u);
        EXPECT_EQ(host.count(progressWindow, NotifyImportDone), 0u);
        EXPECT_EQ(TrackList::instance().count(), tracksBefore);
    }
}

TEST_F(WmaImport, AFileCutInItsDataOpensWhatIsThere) {
    const std::string full = dir.file("full.wma");
    ASSERT_TRUE(wmatest::ffmpeg(wmatest::sineInput(44100, 2, 4.0, 440) + " -c:a wmav2 -b:a 128k '" + full + "'"));
    const std::string bytes = wdtest::readFile(full);
    ASSERT_TRUE(wdtest::writeFile(dir.file("cut.wma"), bytes.substr(0, bytes.size() / 2)));
    wdtest::keepForFuzzing(dir.file("cut.wma"), "wma-");
    Track* track = open(dir.file("cut.wma"));
    ASSERT_TRUE(track);
    // About half of the four seconds, give or take a packet and the header.
    EXPECT_NEAR(track->length(), 2 * 44100, 44100 / 4);
}

TEST_F(WmaImport, CancellingRemovesTheTrackAndReportsOnce) {
    const std::string path = dir.file("long.wma");
    ASSERT_TRUE(wmatest::ffmpeg(wmatest::sineInput(44100, 2, 240.0, 440) + " -c:a wmav2 -b:a 64k '" + path + "'"));
    host.clearLog();
    ASSERT_EQ(WDXOpenTrackFile(progressWindow, path.c_str()), 0);
    ASSERT_TRUE(host.waitForMessage(progressWindow, NotifyImportProgress));
    EXPECT_EQ(WDXCancelOpenFile(), 0);
    host.pumpFor(200ms);
    EXPECT_EQ(host.count(main, MsgImportCancelled), 1u);
    EXPECT_EQ(host.count(main, MsgImportComplete), 0u);
    EXPECT_EQ(host.count(progressWindow, NotifyImportDone) + host.count(progressWindow, NotifyImportFailed), 0u);
    EXPECT_EQ(TrackList::instance().count(), tracksBefore);
    EXPECT_EQ(WDXCancelOpenFile(), 0);
    host.pumpFor(50ms);
    EXPECT_EQ(host.count(main, MsgImportCancelled), 1u) << "a second cancel has nothing to stop";
}

TEST_F(WmaImport, ATrackAlreadyReportedStaysWhenTheImportIsCancelledAfterwards) {
    const std::string path = dir.file("short.wma");
    ASSERT_TRUE(wmatest::ffmpeg(wmatest::sineInput(44100, 1, 0.5, 440) + " -c:a wmav2 '" + path + "'"));
    Track* track = open(path);
    ASSERT_TRUE(track);
    EXPECT_EQ(WDXCancelOpenFile(), 0);
    host.pumpFor(50ms);
    EXPECT_EQ(host.count(main, MsgImportCancelled), 0u);
    EXPECT_EQ(TrackList::instance().findById(track->id()), track);
}

TEST_F(WmaImport, TheReaderLetsGoOfTheFileAndItsThreadOnceTheImportEnds) {
    const std::string good = dir.file("good.wma");
    ASSERT_TRUE(wmatest::ffmpeg(wmatest::sineInput(44100, 2, 1.0, 440) + " -c:a wmav2 '" + good + "'"));
    ASSERT_TRUE(wdtest::writeFile(dir.file("no-codec.wma"), wmatest::withAudioFormatTag(wdtest::readFile(good), 0x7A7A)));
    if (!wdtest::descriptorsOn(good) || !wdtest::threadCount()) GTEST_SKIP() << "this system does not list a process's open files and threads";
    ASSERT_TRUE(open(good));  // threads a process makes once (a sanitizer's own) are there from now on
    for (const auto& [path, opens] : {std::pair{good, true}, std::pair{dir.file("no-codec.wma"), false}}) {
        SCOPED_TRACE(path);
        const long before = *wdtest::threadCount();
        EXPECT_EQ(open(path) != nullptr, opens);
        bool released = false;
        for (int i = 0; i < 200 && !released; ++i) {
            released = wdtest::descriptorsOn(path) == 0 && *wdtest::threadCount() <= before;
            if (!released) host.pumpFor(10ms);
        }
        EXPECT_TRUE(released) << *wdtest::descriptorsOn(path) << " descriptors, " << *wdtest::threadCount() - before << " threads more";
    }
}

}  // namespace
