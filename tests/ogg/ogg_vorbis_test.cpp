// Ogg Vorbis files made by other encoders open as a host opens them; tracks saved as Ogg
// Vorbis decode with other decoders.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "services/settings.h"
#include "formats/exporter.h"
#include "formats/ogg_vorbis_exporter.h"
#include "model/track_list.h"
#include "support/codec_fixture.h"
#include "support/signal.h"
#include "support/sound_files.h"
#include "support/temp_dir.h"
#include "wavedeck.h"
#include "wavedeck_messages.h"

namespace {

using wd::Track;
using wdtest::FileSession;

class OggVorbis : public wdtest::CodecFixture {
protected:
    void SetUp() override { requirePrograms({"oggenc", "oggdec", "ffmpeg"}); }

    // Encodes a sweep of `seconds` with oggenc; returns the file's path.
    std::string oggenc(const std::string& name, int channels, int rate, double seconds, const std::string& options = "") {
        writeSweep(dir.file(name + ".wav"), channels, rate, static_cast<size_t>(rate * seconds));
        sh("oggenc -Q " + options + " -o '" + dir.file(name) + "' '" + dir.file(name + ".wav") + "'");
        return dir.file(name);
    }
};

// Vorbis is gapless: a decoder gives back exactly the samples that were encoded. At
// quality 0.5 and above its noise stays more than 20 dB under a swept tone.
constexpr double kMinSnr = 20.0;

TEST_F(OggVorbis, FilesOfOtherEncodersOpenWithTheirChannelsLengthAndSound) {
    struct Case {
        const char* name;
        int channels, rate;
        const char* command;  // IN and OUT stand for the paths
    };
    const Case cases[] = {
        {"stereo.ogg", 2, 44100, "oggenc -Q -q 5 -c TITLE=Sweep -c ARTIST=Test -o OUT IN"},
        {"mono.ogg", 1, 22050, "oggenc -Q -q 6 -o OUT IN"},
        {"ffmpeg.ogg", 2, 48000, "ffmpeg -v error -i IN -c:a libvorbis -q:a 5 -metadata title=Sweep OUT"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string in = dir.file(std::string(c.name) + ".wav"), out = dir.file(c.name);
        auto expected = wdtest::channel(writeSweep(in, c.channels, c.rate, static_cast<size_t>(c.rate) * 3 / 2), c.channels, 0);
        sh(fill(c.command, in, out));
        Track* track = files.open(out);
        ASSERT_TRUE(track);
        EXPECT_EQ(track->sampleRate, c.rate);
        ASSERT_EQ(track->channelCount(), c.channels);
        EXPECT_EQ(track->channel(0)->viewRecord.sampleRate, c.rate);
        auto left = FileSession::samplesOf(*track, 0);
        EXPECT_EQ(left.size(), expected.size());
        EXPECT_GE(wdtest::snrDb(expected, left, 0), kMinSnr);
        if (c.channels == 2) {
            EXPECT_EQ(FileSession::samplesOf(*track, 1).size(), expected.size());
        }
    }
}

TEST_F(OggVorbis, AMonoFileStaysMonoWhenOpenedAndSavedAgain) {
    const std::string mono = oggenc("mono.ogg", 1, 22050, 1.0);
    const auto expected = FileSession::samplesOf(*files.open(mono), 0);
    ASSERT_EQ(WDXGetTrackInfo(0), 1);
    ASSERT_TRUE(files.save(dir.file("again.ogg"), wd::kExportOggVorbis));
    sh("oggdec -Q -o '" + dir.file("again.wav") + "' '" + dir.file("again.ogg") + "'");
    const wdtest::SoundFile decoded = wdtest::readSoundFile(dir.file("again.wav"));
    ASSERT_EQ(decoded.channels, 1);
    EXPECT_GE(wdtest::snrDb(expected, decoded.samples, 0), kMinSnr);
}

TEST_F(OggVorbis, OnlyTheFirstStreamOfAChainedFileIsRead) {
    const std::string a = oggenc("a.ogg", 2, 44100, 1.0);
    const std::string b = oggenc("b.ogg", 2, 44100, 1.0);
    const std::string c = oggenc("c.ogg", 2, 22050, 1.0);
    ASSERT_TRUE(wdtest::writeFile(dir.file("same.ogg"), wdtest::readFile(a) + wdtest::readFile(b) + wdtest::readFile(c)));
    ASSERT_TRUE(wdtest::writeFile(dir.file("other.ogg"), wdtest::readFile(a) + wdtest::readFile(c)));
    wdtest::keepForFuzzing(dir.file("same.ogg"));
    // The read that meets the second stream still counts when the formats agree (at most
    // 4096 bytes: 1024 stereo frames); one of another rate adds nothing.
    Track* same = files.open(dir.file("same.ogg"));
    ASSERT_TRUE(same);
    EXPECT_GT(same->length(), 44100);
    EXPECT_LE(same->length(), 44100 + 1024);
    Track* other = files.open(dir.file("other.ogg"));
    ASSERT_TRUE(other);
    EXPECT_EQ(other->length(), 44100);
    EXPECT_EQ(other->sampleRate, 44100);
}

TEST_F(OggVorbis, ProgressCountsWholeSeconds) {
    ASSERT_TRUE(files.open(oggenc("short.ogg", 1, 8000, 2.9)));
    auto steps = files.host.messages(files.progress, NotifyImportProgress);
    ASSERT_FALSE(steps.empty());
    for (const auto& step : steps) EXPECT_EQ(step.wParam, 2u);
    EXPECT_EQ(steps.front().lParam, 0);
    EXPECT_EQ(steps.back().lParam, 2);
}

TEST_F(OggVorbis, MoreThanTwoChannelsAreMixedDownWithoutClipping) {
    // 5.1 in Vorbis order (L C R Ls Rs LFE): a full-scale tone in the centre alone.
    std::vector<int16_t> pcm(44100 * 6, 0);
    auto tone = wdtest::toInt16(wdtest::sine(1, 44100, 44100, {1000.0}, 1.0));
    for (size_t i = 0; i < tone.size(); ++i) pcm[i * 6 + 2] = tone[i];  // WAV order: L R C LFE Ls Rs
    ASSERT_TRUE(wdtest::writePcm16(dir.file("six.wav"), SF_FORMAT_WAV, 6, 44100, pcm));
    sh("oggenc -Q -q 6 -o '" + dir.file("six.ogg") + "' '" + dir.file("six.wav") + "'");
    Track* track = files.open(dir.file("six.ogg"));
    ASSERT_TRUE(track);
    ASSERT_EQ(track->channelCount(), 2);
    // Each side takes the centre at k = 1/sqrt(2) of its weights 1 + k + k.
    const double k = std::sqrt(0.5), expected = k / (1 + 2 * k) * std::sqrt(0.5);
    for (int c = 0; c < 2; ++c) EXPECT_NEAR(wdtest::rms(FileSession::samplesOf(*track, c)), expected, expected * 0.05);
}

TEST_F(OggVorbis, SavedTracksAndSelectionsDecodeWithOtherDecoders) {
    auto stereo = telltaleStereo(44100, 44100);
    Track* track = FileSession::makeTrack(stereo, 2, 44100);
    ASSERT_TRUE(files.save(dir.file("whole.ogg"), wd::kExportOggVorbis));
    auto steps = files.host.messages(files.progress, NotifySaveProgress);
    ASSERT_FALSE(steps.empty());
    EXPECT_EQ(steps.back().wParam, 44100u);
    EXPECT_EQ(steps.back().lParam, 44100);
    selectChannelOne(*track, 10000, 20000);
    ASSERT_TRUE(files.save(dir.file("selection.ogg"), wd::kExportOggVorbis, true));

    struct Check {
        const char* file;
        int channels;
        size_t frames, from;
    };
    for (const Check& c : {Check{"whole.ogg", 2, 44100, 0}, Check{"selection.ogg", 1, 20000, 10000}}) {
        SCOPED_TRACE(c.file);
        sh("oggdec -Q -o '" + dir.file("decoded.wav") + "' '" + dir.file(c.file) + "'");
        wdtest::SoundFile decoded = wdtest::readSoundFile(dir.file("decoded.wav"));
        EXPECT_EQ(decoded.sampleRate, 44100);
        ASSERT_EQ(decoded.channels, c.channels);
        EXPECT_EQ(decoded.frames, static_cast<int64_t>(c.frames));
        for (int ch = 0; ch < c.channels; ++ch) {
            auto expected = wdtest::channel(stereo, 2, c.channels == 2 ? ch : 1);
            std::vector<float> reference(expected.begin() + static_cast<long>(c.from), expected.begin() + static_cast<long>(c.from + c.frames));
            EXPECT_GE(wdtest::snrDb(reference, wdtest::channel(decoded.samples, c.channels, ch), 0), kMinSnr);
        }
    }
}

TEST_F(OggVorbis, TheQualitySettingMapsToTenthsWithinTheEncodersRange) {
    EXPECT_FLOAT_EQ(wd::OggVorbisExporter::encoderQuality(5), 0.5f);
    EXPECT_FLOAT_EQ(wd::OggVorbisExporter::encoderQuality(10), 1.0f);
    EXPECT_FLOAT_EQ(wd::OggVorbisExporter::encoderQuality(0), 0.0f);
    EXPECT_FLOAT_EQ(wd::OggVorbisExporter::encoderQuality(25), 1.0f);
    EXPECT_FLOAT_EQ(wd::OggVorbisExporter::encoderQuality(-4), -0.1f);
    // The setting reaches the file: the stream's nominal bit rate follows it.
    FileSession::makeTrack(wdtest::sweep(2, 44100, 44100, 100, 5000, 0.5), 2, 44100);
    std::vector<long> nominal;
    for (int setting : {1, 5, 9}) {
        wd::Settings::instance().setFormatQuality(3, setting);
        ASSERT_TRUE(files.save(dir.file("q.ogg"), wd::kExportOggVorbis));
        nominal.push_back(std::stol(sh("ffprobe -v error -show_entries stream=bit_rate -of csv=p=0 '" + dir.file("q.ogg") + "'")));
    }
    wd::Settings::instance().setFormatQuality(3, wd::Settings::kDefaultOggQuality);
    EXPECT_LT(nominal[0], nominal[1]);
    EXPECT_LT(nominal[1], nominal[2]);
}

TEST_F(OggVorbis, AnEmptyTrackGivesAValidEmptyStream) {
    FileSession::makeTrack({}, 1, 44100);
    ASSERT_TRUE(files.save(dir.file("empty.ogg"), wd::kExportOggVorbis));
    sh("oggdec -Q -o '" + dir.file("empty.wav") + "' '" + dir.file("empty.ogg") + "'");
    EXPECT_EQ(wdtest::readSoundFile(dir.file("empty.wav")).frames, 0);
    Track* back = files.open(dir.file("empty.ogg"));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->length(), 0);
}

TEST_F(OggVorbis, ARateTheEncoderRefusesFailsTheSaveAndLeavesNoFile) {
    FileSession::makeTrack(std::vector<float>(1000, 0.1f), 1, 384000);
    EXPECT_FALSE(files.save(dir.file("refused.ogg"), wd::kExportOggVorbis));
    EXPECT_EQ(files.host.count(files.progress, NotifySaveFailed), 1u);
    EXPECT_EQ(files.host.count(files.main, MsgSaveFailed), 1u);
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

TEST_F(OggVorbis, CancellingAnOpenReportsTwiceAndLeavesNoTrack) {
    const std::string path = oggenc("long.ogg", 2, 44100, 30.0, "-q 0");
    files.host.clearLog();
    ASSERT_EQ(WDXOpenTrackFile(files.progress, path.c_str()), 0);
    ASSERT_TRUE(files.host.waitForMessage(files.progress, NotifyImportProgress));
    EXPECT_EQ(WDXCancelOpenFile(), 0);
    files.host.pumpFor(std::chrono::milliseconds(100));
    EXPECT_EQ(files.host.count(files.main, MsgImportCancelled), 2u) << "the worker's and the cancel's";
    EXPECT_EQ(files.host.count(files.main, MsgImportComplete), 0u);
    EXPECT_EQ(wd::TrackList::instance().count(), 0);
}

TEST_F(OggVorbis, DamagedAndHostileFilesFailCleanlyOrOpenTheirDecodablePart) {
    // Eight seconds: enough pages that a cut or a damaged page leaves most of the sound.
    const std::string good = wdtest::readFile(oggenc("good.ogg", 2, 44100, 8.0, "-q 6"));
    std::string damaged = good;
    for (size_t i = good.size() / 2; i < good.size() / 2 + 200; ++i) damaged[i] = static_cast<char>(i * 13);
    const int full = 8 * 44100;
    expectHostileFiles({
        {"empty.ogg", "", -1, -1},
        {"noise.ogg", noise(50000, 777), -1, -1},
        {"text.ogg", "OggS is a word in this text, but this is not a stream\n", -1, -1},
        {"headers.ogg", good.substr(0, 4000), -1, 0},
        {"truncated.ogg", good.substr(0, good.size() / 2), full / 3, full * 2 / 3},
        {"damaged.ogg", damaged, full * 3 / 4, full},
    });
}

}  // namespace
