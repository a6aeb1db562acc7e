// Opening WAV and AIFF files into tracks and saving tracks as WAV, through the exports,
// with a test window standing in for the library's main window.
#include <gtest/gtest.h>

#include <sndfile.h>

#include <cmath>
#include <filesystem>
#include <limits>
#include <fstream>

#include "model/track_list.h"
#include "support/file_fixture.h"
#include "support/model_file_size_limit.h"
#include "support/signal.h"
#include "support/sound_files.h"
#include "wavedeck.h"
#include "wavedeck_messages.h"

namespace {

using wd::Track;
using wd::TrackList;

using wdtest::keepForFuzzing;

class OpenSave : public wdtest::FileFixture {};

TEST_F(OpenSave, AStereoWavOpensWithItsRateLengthAndExactSamples) {
    const int frames = 44100 + 333;
    auto pcm = wdtest::testPattern(static_cast<size_t>(frames) * 2, 7);
    ASSERT_TRUE(wdtest::writePcm16(dir.file("stereo.wav"), SF_FORMAT_WAV, 2, 44100, pcm));
    Track* track = open(dir.file("stereo.wav"));
    ASSERT_TRUE(track);
    EXPECT_EQ(track->channelCount(), 2);
    EXPECT_EQ(track->sampleRate, 44100);
    EXPECT_EQ(track->channel(0)->viewRecord.sampleRate, 44100);
    EXPECT_EQ(track->channel(1)->viewRecord.sampleRate, 44100);
    EXPECT_EQ(track->length(), frames);
    EXPECT_EQ(track->name(), dir.file("stereo.wav"));
    EXPECT_EQ(WDXGetTrackInfo(0), 2);
    EXPECT_EQ(WDXGetTrackInfo(1), 44100);
    EXPECT_EQ(WDXGetTrackInfo(2), frames);
    for (int c = 0; c < 2; ++c) {
        auto got = samplesOf(*track, c);
        for (int i = 0; i < frames; ++i) {
            ASSERT_EQ(got[static_cast<size_t>(i)], pcm[static_cast<size_t>(i * 2 + c)] / 32768.0f) << "channel " << c << " sample " << i;
        }
    }
    auto progressMessages = host.messages(progressWindow, NotifyImportProgress);
    ASSERT_FALSE(progressMessages.empty());
    EXPECT_EQ(progressMessages.back().wParam, static_cast<WPARAM>(frames));
    EXPECT_EQ(progressMessages.back().lParam, frames);
    EXPECT_EQ(progressMessages.size(), static_cast<size_t>((frames + 1023) / 1024 + 1)) << "one per 1024 frames, and the empty read";
}

TEST_F(OpenSave, AMonoAiffOpensAsOneChannel) {
    auto pcm = wdtest::testPattern(22050, 3);
    ASSERT_TRUE(wdtest::writePcm16(dir.file("mono.aiff"), SF_FORMAT_AIFF, 1, 22050, pcm));
    Track* track = open(dir.file("mono.aiff"));
    ASSERT_TRUE(track);
    EXPECT_EQ(track->channelCount(), 1);
    EXPECT_EQ(track->sampleRate, 22050);
    auto got = samplesOf(*track, 0);
    ASSERT_EQ(got.size(), pcm.size());
    for (size_t i = 0; i < pcm.size(); ++i) ASSERT_EQ(got[i], pcm[i] / 32768.0f) << i;
}

TEST_F(OpenSave, AnUneditedWavComesBackBitForBitAndOtherToolsReadIt) {
    auto pcm = wdtest::testPattern(44100 * 2 * 2, 11);
    ASSERT_TRUE(wdtest::writePcm16(dir.file("in.wav"), SF_FORMAT_WAV, 2, 44100, pcm));
    ASSERT_TRUE(open(dir.file("in.wav")));
    ASSERT_TRUE(save(dir.file("out.wav"), 1));
    int channels = 0, rate = 0;
    EXPECT_EQ(wdtest::readPcm16(dir.file("out.wav"), &channels, &rate), pcm);
    EXPECT_EQ(channels, 2);
    EXPECT_EQ(rate, 44100);
    auto total = host.messages(progressWindow, NotifySaveProgress);
    ASSERT_FALSE(total.empty());
    EXPECT_EQ(total.back().wParam, 88200u);
    EXPECT_EQ(total.back().lParam, 88200);
    if (wdtest::haveProgram("sox")) {
        std::string info = wdtest::runCommand("sox --i '" + dir.file("out.wav") + "'");
        EXPECT_NE(info.find("Channels       : 2"), std::string::npos) << info;
        EXPECT_NE(info.find("Sample Rate    : 44100"), std::string::npos) << info;
        EXPECT_NE(info.find("88200 samples"), std::string::npos) << info;
        EXPECT_NE(info.find("16-bit"), std::string::npos) << info;
    }
}

TEST_F(OpenSave, SavingOverTheSourceFileWorks) {
    auto pcm = wdtest::testPattern(30000, 5);
    const std::string path = dir.file("same.wav");
    ASSERT_TRUE(wdtest::writePcm16(path, SF_FORMAT_WAV, 1, 8000, pcm));
    ASSERT_TRUE(open(path));
    ASSERT_TRUE(save(path, 1));
    EXPECT_EQ(wdtest::readPcm16(path), pcm);
}

TEST_F(OpenSave, OnlyChannelOneSelectedSavesAMonoFileOfItsRange) {
    auto pcm = wdtest::testPattern(10000 * 2, 9);
    ASSERT_TRUE(wdtest::writePcm16(dir.file("st.wav"), SF_FORMAT_WAV, 2, 44100, pcm));
    Track* track = open(dir.file("st.wav"));
    ASSERT_TRUE(track);
    for (int c = 0; c < 2; ++c) {
        track->channel(c)->selStart = 1000;
        track->channel(c)->selLength = 2500;
    }
    track->channel(0)->selectedFlag = false;
    ASSERT_TRUE(save(dir.file("sel.wav"), 1, true));
    int channels = 0;
    auto got = wdtest::readPcm16(dir.file("sel.wav"), &channels);
    EXPECT_EQ(channels, 1);
    ASSERT_EQ(got.size(), 2500u);
    for (size_t i = 0; i < got.size(); ++i) ASSERT_EQ(got[i], pcm[(1000 + i) * 2 + 1]) << i;

    track->channel(1)->selectedFlag = true;
    track->channel(0)->selectedFlag = true;
    track->channel(0)->selLength = 20000;  // runs past the end: cut to the track
    ASSERT_TRUE(save(dir.file("both.wav"), 1, true));
    auto both = wdtest::readPcm16(dir.file("both.wav"), &channels);
    EXPECT_EQ(channels, 2);
    EXPECT_EQ(both.size(), (10000u - 1000u) * 2);
}

TEST_F(OpenSave, ATrackOfExactlyOneBlockIsWrittenInOneStep) {
    ASSERT_TRUE(wdtest::writePcm16(dir.file("b.wav"), SF_FORMAT_WAV, 1, 44100, wdtest::testPattern(1024, 2)));
    ASSERT_TRUE(open(dir.file("b.wav")));
    ASSERT_TRUE(save(dir.file("c.wav"), 1));
    auto steps = host.messages(progressWindow, NotifySaveProgress);
    ASSERT_EQ(steps.size(), 1u);
    EXPECT_EQ(steps[0].lParam, 1024);
}

TEST_F(OpenSave, ValuesBeyondFullScaleAreClippedNotWrappedAndNotANumberIsSilence) {
    Track* track = TrackList::instance().addTrack("loud");
    ASSERT_EQ(track->setChannelCount(1), 1);
    const float inf = std::numeric_limits<float>::infinity();
    const float loud[] = {1.5f, -1.5f, 1.0f, -1.0f, 0.5f, std::nanf(""), inf, -inf};
    ASSERT_EQ(track->channel(0)->sequence().appendSamples(loud, 8), 8);
    ASSERT_GE(track->channel(0)->sequence().flushAppend(), 0);
    TrackList::instance().setCurrent(track);
    ASSERT_TRUE(save(dir.file("loud.wav"), 1));
    EXPECT_EQ(wdtest::readPcm16(dir.file("loud.wav")),
              (std::vector<int16_t>{32767, -32768, 32767, -32768, 16384, 0, 32767, -32768}));
}

TEST_F(OpenSave, SavedSamplesAreWhatLibsndfileStoresForTheSameFloatsWithClipping) {
    // Rounding and clipping edges of the 16-bit steps, tiny values of both signs, and a
    // stereo sweep beyond full scale, long enough for several write runs.
    std::vector<float> edges{-0.0f, 1e-40f, -1e-40f, -2.3e-10f, 2.3e-10f, 3e38f, -std::numeric_limits<float>::infinity()};
    for (int k : {-32769, -32768, -32767, -1, 0, 1, 16383, 32767, 32768}) {
        for (float f : {(k - 0.5f) / 32768.0f, k / 32768.0f, (k + 0.5f) / 32768.0f})
            edges.insert(edges.end(), {f, std::nextafter(f, 2.0f), std::nextafter(f, -2.0f)});
    }
    const auto sweep = wdtest::sweep(2, 44100, 150001, 20.0, 20000.0, 1.3);
    for (const auto& [channels, samples] : {std::pair{1, edges}, std::pair{2, sweep}}) {
        Track* track = TrackList::instance().addTrack("edges");
        ASSERT_EQ(track->setChannelCount(channels), channels);
        const int frames = static_cast<int>(samples.size()) / channels;
        for (int c = 0; c < channels; ++c) {
            const auto channel = wdtest::channel(samples, channels, c);
            ASSERT_EQ(track->channel(c)->sequence().appendSamples(channel.data(), frames), frames);
            ASSERT_GE(track->channel(c)->sequence().flushAppend(), 0);
        }
        TrackList::instance().setCurrent(track);
        ASSERT_TRUE(save(dir.file("ours.wav"), 1));
        SF_INFO info{0, 44100, channels, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 0, 0};
        SNDFILE* theirs = sf_open(dir.file("theirs.wav").c_str(), SFM_WRITE, &info);
        sf_command(theirs, SFC_SET_CLIPPING, nullptr, SF_TRUE);
        sf_writef_float(theirs, samples.data(), frames);
        sf_close(theirs);
        EXPECT_EQ(wdtest::readPcm16(dir.file("ours.wav")), wdtest::readPcm16(dir.file("theirs.wav"))) << channels;
        TrackList::instance().removeTrack(track);
    }
}

TEST_F(OpenSave, ASaveThatFailsOrIsCancelledLeavesTheOldFileByteForByte) {
    if (!wdtest::FileSizeLimit::supported()) GTEST_SKIP() << "this system cannot limit the size of files a process writes";
    Track* track = TrackList::instance().addTrack("long");
    ASSERT_EQ(track->setChannelCount(2), 2);
    std::vector<float> block(262144, 0.25f);
    for (int c = 0; c < 2; ++c) {
        for (int i = 0; i < 30; ++i) ASSERT_EQ(track->channel(c)->sequence().appendSamples(block.data(), 262144), 262144);
        ASSERT_GE(track->channel(c)->sequence().flushAppend(), 0);
    }
    TrackList::instance().setCurrent(track);
    const std::string old = std::string("RIFF an older file of this name") + std::string(5000, '\x7f');
    ASSERT_TRUE(wdtest::writeFile(dir.file("kept.wav"), old));
    {
        wdtest::FileSizeLimit full(1 << 20);  // the disk fills after 1 MiB
        EXPECT_FALSE(save(dir.file("kept.wav"), 1));
    }
    EXPECT_EQ(host.count(progressWindow, NotifySaveFailed), 1u);
    EXPECT_EQ(wdtest::readFile(dir.file("kept.wav")), old);

    host.clearLog();
    ASSERT_EQ(WDXSaveTrackFile(progressWindow, dir.file("kept.wav").c_str(), 1), 0);
    ASSERT_TRUE(host.waitForMessage(progressWindow, NotifySaveProgress));
    WDXCancelSaveFile();
    EXPECT_EQ(wdtest::readFile(dir.file("kept.wav")), old);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1) << "no temporary file is left";
}

TEST_F(OpenSave, AFileOfFourChannelsOpensAsItsFirstTwo) {
    std::vector<int16_t> pcm;
    for (int i = 0; i < 4000; ++i) {
        for (int c = 0; c < 4; ++c) pcm.push_back(static_cast<int16_t>(c * 1000 + i % 7));
    }
    ASSERT_TRUE(wdtest::writePcm16(dir.file("quad.wav"), SF_FORMAT_WAV, 4, 48000, pcm));
    keepForFuzzing(dir.file("quad.wav"));
    Track* track = open(dir.file("quad.wav"));
    ASSERT_TRUE(track);
    EXPECT_EQ(track->channelCount(), 2);
    EXPECT_EQ(track->length(), 4000);
    EXPECT_EQ(samplesOf(*track, 1)[3], (1000 + 3) / 32768.0f);
}

TEST_F(OpenSave, AnEmptyWavGivesAnEmptyTrackAfterOneProgressMessage) {
    ASSERT_TRUE(wdtest::writePcm16(dir.file("empty.wav"), SF_FORMAT_WAV, 2, 44100, {}));
    keepForFuzzing(dir.file("empty.wav"));
    Track* track = open(dir.file("empty.wav"));
    ASSERT_TRUE(track);
    EXPECT_EQ(track->length(), 0);
    auto steps = host.messages(progressWindow, NotifyImportProgress);
    ASSERT_EQ(steps.size(), 1u);
    EXPECT_EQ(steps[0].lParam, 0);
    EXPECT_EQ(host.count(progressWindow, NotifyImportDone), 1u);
}

TEST_F(OpenSave, BadFilesFailCleanlyAndLeaveNoTrack) {
    std::vector<std::string> bad;
    bad.push_back(dir.file("missing.wav"));
    ASSERT_TRUE(wdtest::writeFile(dir.file("text.wav"), "this is not a sound file at all, just words\n"));
    bad.push_back(dir.file("text.wav"));
    ASSERT_TRUE(wdtest::writeFile(dir.file("zero.wav"), ""));
    bad.push_back(dir.file("zero.wav"));
    ASSERT_TRUE(wdtest::writeFile(dir.file("riff.wav"), std::string("RIFF\x24\0\0\0WAVEfmt ", 16)));
    bad.push_back(dir.file("riff.wav"));
    ASSERT_TRUE(std::filesystem::create_directory(dir.file("folder.wav")));
    bad.push_back(dir.file("folder.wav"));
    for (const auto& path : bad) {
        keepForFuzzing(path);
        EXPECT_EQ(open(path), nullptr) << path;
        EXPECT_EQ(host.count(main, MsgImportFailed), 1u) << path;
        EXPECT_EQ(host.count(progressWindow, NotifyImportFailed), 1u) << path;
        EXPECT_EQ(host.count(progressWindow, NotifyImportDone), 0u) << path;
        EXPECT_EQ(TrackList::instance().count(), tracksBefore) << path;
    }
}

TEST_F(OpenSave, ATruncatedWavOpensWhatIsThere) {
    auto pcm = wdtest::testPattern(20000, 4);
    ASSERT_TRUE(wdtest::writePcm16(dir.file("full.wav"), SF_FORMAT_WAV, 1, 44100, pcm));
    std::string bytes = wdtest::readFile(dir.file("full.wav"));
    const size_t keptSamples = 12345;
    ASSERT_TRUE(wdtest::writeFile(dir.file("cut.wav"), bytes.substr(0, 44 + keptSamples * 2)));
    keepForFuzzing(dir.file("cut.wav"));
    Track* track = open(dir.file("cut.wav"));
    ASSERT_TRUE(track) << "the header promises more than the file holds; what is there is read";
    EXPECT_EQ(track->length(), static_cast<int>(keptSamples));
    EXPECT_EQ(samplesOf(*track, 0)[keptSamples - 1], pcm[keptSamples - 1] / 32768.0f);
}

TEST_F(OpenSave, AnAiffWithUnknownChunksOpens) {
    auto pcm = wdtest::testPattern(5000, 8);
    ASSERT_TRUE(wdtest::writePcm16(dir.file("plain.aiff"), SF_FORMAT_AIFF, 1, 44100, pcm));
    std::string bytes = wdtest::readFile(dir.file("plain.aiff"));
    // An odd-sized private chunk (padded to even length) after the FORM header.
    std::string chunk = std::string("XTRA\0\0\0\x05hello\0", 14);
    bytes.insert(12, chunk);
    uint32_t formSize = static_cast<uint32_t>(bytes.size() - 8);
    bytes[4] = static_cast<char>(formSize >> 24);
    bytes[5] = static_cast<char>(formSize >> 16);
    bytes[6] = static_cast<char>(formSize >> 8);
    bytes[7] = static_cast<char>(formSize);
    ASSERT_TRUE(wdtest::writeFile(dir.file("odd.aiff"), bytes));
    keepForFuzzing(dir.file("odd.aiff"));
    Track* track = open(dir.file("odd.aiff"));
    ASSERT_TRUE(track);
    EXPECT_EQ(track->length(), 5000);
    EXPECT_EQ(samplesOf(*track, 0)[4999], pcm[4999] / 32768.0f);
}

TEST_F(OpenSave, PathsWithSpacesAndNonAsciiLettersWork) {
    ASSERT_TRUE(std::filesystem::create_directory(dir.file("my songs \xC3\xA9t\xC3\xA9")));
    const std::string path = dir.file("my songs \xC3\xA9t\xC3\xA9/caf\xC3\xA9 n\xC2\xB0 1.WAV");
    auto pcm = wdtest::testPattern(3000, 6);
    ASSERT_TRUE(wdtest::writePcm16(path, SF_FORMAT_WAV, 1, 44100, pcm));
    ASSERT_TRUE(open(path));
    const std::string out = dir.file("my songs \xC3\xA9t\xC3\xA9/s\xC3\xB8ng out.wav");
    ASSERT_TRUE(save(out, 1));
    EXPECT_EQ(wdtest::readPcm16(out), pcm);
}

TEST_F(OpenSave, AiffFilesNamedAifOrAifcOpenToo) {
    auto pcm = wdtest::testPattern(300, 5);
    for (const char* name : {"short.aif", "SHORT.AIFC"}) {
        ASSERT_TRUE(wdtest::writePcm16(dir.file(name), SF_FORMAT_AIFF, 1, 8000, pcm));
        Track* track = open(dir.file(name));
        ASSERT_TRUE(track) << name;
        EXPECT_EQ(track->length(), 300) << name;
    }
}

TEST_F(OpenSave, NamesWithoutAReaderAreRefusedWith1129) {
    HWND hostWindow = host.addChild(host.frame(), 0, 40, 10, 10);
    WDXRegisterMainWnd(hostWindow);
    for (const char* name : {"song.flac", "song", "dir.old/file", "song.wave", "song."}) {
        host.clearLog();
        EXPECT_EQ(WDXOpenTrackFile(progressWindow, dir.file(name).c_str()), -1) << name;
        host.pump();
        EXPECT_EQ(host.count(hostWindow, NotifyUnsupportedFile), 1u) << name;
    }
    EXPECT_EQ(TrackList::instance().count(), tracksBefore);
}

TEST_F(OpenSave, SavingNeedsAKnownTypeACurrentTrackAndAWritableFolder) {
    host.clearLog();
    EXPECT_EQ(WDXSaveTrackFile(progressWindow, dir.file("x.wav").c_str(), 5), -1);
    EXPECT_EQ(WDXSaveTrackFile(progressWindow, dir.file("x.wav").c_str(), 1), -1) << "no current track";
    host.pump();
    for (const auto& m : host.log()) EXPECT_LT(m.message, static_cast<UINT>(WM_USER)) << "posted " << m.message;

    ASSERT_TRUE(wdtest::writePcm16(dir.file("s.wav"), SF_FORMAT_WAV, 1, 44100, wdtest::testPattern(100, 1)));
    ASSERT_TRUE(open(dir.file("s.wav")));
    EXPECT_FALSE(save(dir.file("no/such/folder/out.wav"), 1));
    EXPECT_EQ(host.count(progressWindow, NotifySaveFailed), 1u);
    EXPECT_EQ(host.count(main, MsgSaveFailed), 1u);
    EXPECT_EQ(host.count(progressWindow, NotifySaveDone), 0u);
}

TEST_F(OpenSave, CancellingAnOpenRemovesTheTrackAndReportsOnce) {
    // Three minutes of stereo, copied (PCM would open at once): still reading at the
    // first progress.
    ASSERT_TRUE(wdtest::writeUlawWav(dir.file("long.wav"), 2, 44100, wdtest::testPattern(44100 * 180 * 2, 12)));
    host.clearLog();
    ASSERT_EQ(WDXOpenTrackFile(progressWindow, dir.file("long.wav").c_str()), 0);
    ASSERT_TRUE(host.waitForMessage(progressWindow, NotifyImportProgress));
    EXPECT_EQ(WDXCancelOpenFile(), 0);
    host.pumpFor(std::chrono::milliseconds(200));
    EXPECT_EQ(host.count(main, MsgImportCancelled), 1u);
    EXPECT_EQ(host.count(main, MsgImportComplete), 0u);
    EXPECT_EQ(host.count(progressWindow, NotifyImportDone) + host.count(progressWindow, NotifyImportFailed), 0u);
    EXPECT_EQ(TrackList::instance().count(), tracksBefore);
    EXPECT_EQ(WDXCancelOpenFile(), 0) << "cancelling again is harmless";
}

TEST_F(OpenSave, CancellingASaveReportsOnlyToTheMainWindow) {
    Track* track = TrackList::instance().addTrack("long");
    ASSERT_EQ(track->setChannelCount(2), 2);
    std::vector<float> block(262144, 0.25f);
    for (int c = 0; c < 2; ++c) {
        for (int i = 0; i < 30; ++i) ASSERT_EQ(track->channel(c)->sequence().appendSamples(block.data(), 262144), 262144);
        ASSERT_GE(track->channel(c)->sequence().flushAppend(), 0);
    }
    TrackList::instance().setCurrent(track);
    host.clearLog();
    ASSERT_EQ(WDXSaveTrackFile(progressWindow, dir.file("cancel.wav").c_str(), 1), 0);
    ASSERT_TRUE(host.waitForMessage(progressWindow, NotifySaveProgress));
    EXPECT_EQ(WDXCancelSaveFile(), 0);
    host.pumpFor(std::chrono::milliseconds(200));
    EXPECT_EQ(host.count(main, MsgSaveCancelled), 1u);
    EXPECT_EQ(host.count(main, MsgSaveComplete) + host.count(main, MsgSaveFailed), 0u);
    EXPECT_EQ(host.count(progressWindow, NotifySaveDone) + host.count(progressWindow, NotifySaveFailed), 0u);
    EXPECT_EQ(WDXCancelSaveFile(), 0) << "no save runs: at once";
}

TEST_F(OpenSave, ClosingTheTrackDuringASaveDoesNotDisturbIt) {
    Track* track = TrackList::instance().addTrack("gone");
    ASSERT_EQ(track->setChannelCount(1), 1);
    auto expected = wdtest::testPattern(262144 * 3, 21);
    std::vector<float> floats(expected.size());
    for (size_t i = 0; i < floats.size(); ++i) floats[i] = expected[i] / 32768.0f;
    ASSERT_GT(track->channel(0)->sequence().appendSamples(floats.data(), static_cast<int>(floats.size())), 0);
    ASSERT_GE(track->channel(0)->sequence().flushAppend(), 0);
    TrackList::instance().setCurrent(track);
    host.clearLog();
    ASSERT_EQ(WDXSaveTrackFile(progressWindow, dir.file("snap.wav").c_str(), 1), 0);
    TrackList::instance().removeTrack(track);
    ASSERT_TRUE(host.waitForMessage(progressWindow, NotifySaveDone));
    EXPECT_EQ(wdtest::readPcm16(dir.file("snap.wav")), expected);
}

}  // namespace
