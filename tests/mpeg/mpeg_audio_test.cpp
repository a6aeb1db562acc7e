// MPEG audio files made by other encoders open as a host opens them; tracks saved as MP3
// decode with other decoders.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <utility>

#include "services/settings.h"
#include "formats/mp3_encoder_library.h"
#include "formats/exporter.h"
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

// LAME's encoder delay (576) and the layer III decoder's (529): what a stream without a
// gapless tag carries before the first sample, and at most one frame of padding after.
constexpr int kLameDelay = 576 + 529;
constexpr int kFrame = 1152;

class MpegAudio : public wdtest::CodecFixture {
protected:
    void SetUp() override { requirePrograms({"lame", "ffmpeg", "sox", "madplay"}); }
};

TEST_F(MpegAudio, FilesOfOtherEncodersOpenWithTheirRateChannelsLengthAndSound) {
    struct Case {
        const char* name;
        const char* command;  // IN and OUT stand for the paths
        int rate, channels;
        int delay;            // samples the decoded sound starts late by
        bool gapless;         // a LAME tag: the exact length comes back
    };
    // Layer II's filterbank delays by 512 - 32 + 1 samples. A layer III stream too small
    // for LAME's tag frame carries LAME's delay.
    const Case cases[] = {
        {"cbr.mp3", "lame --quiet -b 128 IN OUT", 44100, 2, 0, true},
        {"vbr.mp3", "lame --quiet -V 2 IN OUT", 44100, 2, 0, true},
        {"mpeg2.mp3", "lame --quiet -b 64 IN OUT", 22050, 1, 0, true},
        {"lowrate.mp3", "lame --quiet -b 32 IN OUT", 22050, 1, kLameDelay, false},
        {"ffmpeg.mp3", "ffmpeg -v error -i IN -c:a libmp3lame -b:a 160k OUT", 48000, 2, 0, true},
        {"ffmpeg.mp2", "ffmpeg -v error -i IN -c:a mp2 -b:a 192k OUT", 48000, 2, 481, false},
        {"sox.mp2", "sox IN -C 192 OUT", 44100, 2, 481, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const size_t frames = static_cast<size_t>(c.rate) * 3 / 2;
        const std::string in = dir.file(std::string(c.name) + ".wav"), out = dir.file(c.name);
        auto expected = wdtest::channel(writeSweep(in, c.channels, c.rate, frames), c.channels, 0);
        sh(fill(c.command, in, out));
        Track* track = files.open(out);
        ASSERT_TRUE(track);
        EXPECT_EQ(track->sampleRate, c.rate);
        EXPECT_EQ(track->channelCount(), c.channels);
        auto got = FileSession::samplesOf(*track, 0);
        EXPECT_EQ(wdtest::bestLag(expected, got, kLameDelay + 200), c.delay);
        if (c.gapless) {
            EXPECT_EQ(got.size(), frames);
        } else {
            EXPECT_GE(got.size(), frames + static_cast<size_t>(c.delay));
            EXPECT_LT(got.size(), frames + static_cast<size_t>(c.delay + kFrame));
        }
        // A perceptual coder keeps its noise under the masking threshold, which for a
        // single swept tone lies more than 20 dB below it at these bit rates.
        EXPECT_GE(wdtest::snrDb(expected, got, c.delay), 20.0);
    }
}

// A layer I stream (MPEG-1, 48 kHz, mono, 384 kbit/s: 384-byte frames without padding)
// whose subbands 2 to 5 carry 4-bit codes of a fixed pattern. No Debian tool writes
// layer I, so the test writes it.
void writeLayerOne(const std::string& path, int frames) {
    std::string bytes;
    unsigned accumulator = 0;
    int bits = 0;
    auto put = [&](unsigned value, int width) {
        for (int i = width - 1; i >= 0; --i) {
            accumulator = accumulator << 1 | (value >> i & 1);
            if (++bits == 8) {
                bytes.push_back(static_cast<char>(accumulator));
                accumulator = 0;
                bits = 0;
            }
        }
    };
    for (int f = 0; f < frames; ++f) {
        const size_t start = bytes.size();
        put(0xFFFFC4C0u, 32);  // sync, MPEG-1, layer I, no CRC, 384 kbit/s, 48 kHz, mono
        for (int sb = 0; sb < 32; ++sb) put(sb >= 2 && sb <= 5 ? 3 : 0, 4);  // 4 bits a sample
        for (int sb = 2; sb <= 5; ++sb) put(8, 6);                            // scale factors
        for (int s = 0; s < 12; ++s) {
            for (int sb = 2; sb <= 5; ++sb) put(static_cast<unsigned>(1 + (s * 5 + sb * 3 + f) % 14), 4);
        }
        while (bits) put(0, 1);
        bytes.resize(start + 384, '\0');
    }
    wdtest::writeFile(path, bytes);
}

TEST_F(MpegAudio, ALayerOneFileDecodesAsAnotherDecoderDecodesIt) {
    const int frames = 100;  // 384 samples each
    writeLayerOne(dir.file("tone.mp1"), frames);
    Track* track = files.open(dir.file("tone.mp1"));
    ASSERT_TRUE(track);
    EXPECT_EQ(track->sampleRate, 48000);
    EXPECT_EQ(track->channelCount(), 1);
    sh("ffmpeg -v error -i '" + dir.file("tone.mp1") + "' '" + dir.file("tone.wav") + "'");
    wdtest::SoundFile reference = wdtest::readSoundFile(dir.file("tone.wav"));
    ASSERT_EQ(reference.frames, frames * 384);
    auto got = FileSession::samplesOf(*track, 0);
    ASSERT_EQ(got.size(), reference.samples.size());
    EXPECT_GT(wdtest::rms(got), 0.01);
    // Two decoders of the standard differ by their arithmetic and FFmpeg's 16-bit output:
    // about 90 dB down.
    EXPECT_GE(wdtest::snrDb(reference.samples, got, 0), 80.0);
}

TEST_F(MpegAudio, SavedTracksAndSelectionsDecodeWithOtherDecoders) {
    auto stereo = telltaleStereo(44100, 44100);
    Track* track = FileSession::makeTrack(stereo, 2, 44100);
    ASSERT_TRUE(files.save(dir.file("whole.mp3"), wd::kExportMp3));
    // Only channel 1 selected: a one-channel file of its range, as every writer makes.
    selectChannelOne(*track, 10000, 20000);
    ASSERT_TRUE(files.save(dir.file("selection.mp3"), wd::kExportMp3, true));

    struct Check {
        const char* file;
        const char* decoder;  // IN and OUT stand for the paths
        int channels;
        size_t frames, from;
    };
    for (const Check& c : {Check{"whole.mp3", "ffmpeg -v error -i IN OUT", 2, 44100, 0},
                           Check{"selection.mp3", "madplay -Q -o wave:OUT IN", 1, 20000, 10000}}) {
        SCOPED_TRACE(c.file);
        sh(fill(c.decoder, dir.file(c.file), dir.file("decoded.wav")));
        wdtest::SoundFile decoded = wdtest::readSoundFile(dir.file("decoded.wav"));
        EXPECT_EQ(decoded.sampleRate, 44100);
        ASSERT_EQ(decoded.channels, c.channels);
        // No gapless tag: LAME's delay before, at most a frame of padding after.
        EXPECT_GE(decoded.frames, static_cast<int64_t>(c.frames + kLameDelay));
        EXPECT_LT(decoded.frames, static_cast<int64_t>(c.frames + kLameDelay + kFrame));
        for (int ch = 0; ch < c.channels; ++ch) {
            auto expected = wdtest::channel(stereo, 2, c.channels == 2 ? ch : 1);
            std::vector<float> reference(expected.begin() + static_cast<long>(c.from), expected.begin() + static_cast<long>(c.from + c.frames));
            auto got = wdtest::channel(decoded.samples, c.channels, ch);
            EXPECT_EQ(wdtest::bestLag(reference, got, kLameDelay + 200), kLameDelay);
            EXPECT_GE(wdtest::snrDb(reference, got, kLameDelay), 20.0);
        }
    }
}

// Records the encoder calls of a save and passes them on to the library.
std::vector<std::vector<int16_t>> gChunks;
int gDeinits = 0;
int gCloses = 0;
BeEncodeChunkFn gEncode = nullptr;
BeDeinitStreamFn gDeinit = nullptr;
BeCloseStreamFn gClose = nullptr;

BeError recordEncode(BeStream s, uint32_t count, const int16_t* values, uint8_t* out, uint32_t* bytes) {
    gChunks.emplace_back(values, values + count);
    return gEncode(s, count, values, out, bytes);
}
BeError recordDeinit(BeStream s, uint8_t* out, uint32_t* bytes) {
    ++gDeinits;
    return gDeinit(s, out, bytes);
}
BeError recordClose(BeStream s) {
    ++gCloses;
    return gClose(s);
}

TEST_F(MpegAudio, SavingEncodesBlocksOf1024SamplesClippedTo16Bits) {
    wd::Mp3EncoderLibrary& library = wd::Mp3EncoderLibrary::instance();
    ASSERT_TRUE(library.available());
    gEncode = std::exchange(library.encodeChunk, recordEncode);
    gDeinit = std::exchange(library.deinitStream, recordDeinit);
    gClose = std::exchange(library.closeStream, recordClose);
    struct Case {
        int channels, samples;
        std::vector<size_t> chunks;  // values per call
    };
    for (const Case& c : {Case{1, 1000, {1000}}, Case{2, 2048, {2048, 2048}}, Case{1, 0, {0}}}) {
        gChunks.clear();
        gDeinits = gCloses = 0;
        std::vector<float> samples(static_cast<size_t>(c.samples * c.channels), 0.25f);
        if (c.samples) {
            samples[0] = 1.0f;
            samples[1] = -1.0f;
            samples[2] = 1.5f;
        }
        FileSession::makeTrack(samples, c.channels, 44100);
        EXPECT_TRUE(files.save(dir.file("calls.mp3"), wd::kExportMp3));
        std::vector<size_t> sizes;
        for (const auto& chunk : gChunks) sizes.push_back(chunk.size());
        EXPECT_EQ(sizes, c.chunks) << c.channels << " channels of " << c.samples;
        if (c.samples) {
            EXPECT_EQ(std::vector<int16_t>(gChunks[0].begin(), gChunks[0].begin() + 4), (std::vector<int16_t>{32767, -32767, 32767, 8191}));
        }
        EXPECT_EQ(gDeinits, 1);
        EXPECT_EQ(gCloses, 1);
    }
    library.encodeChunk = gEncode;
    library.deinitStream = gDeinit;
    library.closeStream = gClose;
}

TEST_F(MpegAudio, TheBitRateSettingIsHonouredAndAMissingEncoderFailsTheSave) {
    FileSession::makeTrack(wdtest::sweep(1, 44100, 44100, 100, 5000, 0.5), 1, 44100);
    wd::Settings::instance().setFormatQuality(1, 64);
    ASSERT_TRUE(files.save(dir.file("64.mp3"), wd::kExportMp3));
    wd::Settings::instance().setFormatQuality(1, wd::Settings::kDefaultMp3Bitrate);
    EXPECT_EQ(sh("ffprobe -v error -show_entries stream=bit_rate -of csv=p=0 '" + dir.file("64.mp3") + "'"), "64000\n");

    // The entry points as they are when the library could not be loaded at start-up.
    wd::Mp3EncoderLibrary& library = wd::Mp3EncoderLibrary::instance();
    auto init = std::exchange(library.initStream, nullptr);
    auto encode = std::exchange(library.encodeChunk, nullptr);
    auto deinit = std::exchange(library.deinitStream, nullptr);
    auto close = std::exchange(library.closeStream, nullptr);
    EXPECT_FALSE(files.save(dir.file("none.mp3"), wd::kExportMp3));
    library.initStream = init;
    library.encodeChunk = encode;
    library.deinitStream = deinit;
    library.closeStream = close;
    EXPECT_EQ(files.host.count(files.progress, NotifySaveFailed), 1u);
    EXPECT_EQ(files.host.count(files.main, MsgSaveFailed), 1u);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1) << "only 64.mp3, no trace of none.mp3";
}

TEST_F(MpegAudio, ACancelledSaveLeavesNoFile) {
    // Three minutes of stereo: still encoding at the first progress message.
    Track* track = wd::TrackList::instance().addTrack("long");
    ASSERT_EQ(track->setChannelCount(2), 2);
    std::vector<float> block(262144, 0.25f);
    for (int c = 0; c < 2; ++c) {
        for (int i = 0; i < 30; ++i) track->channel(c)->sequence().appendSamples(block.data(), 262144);
        track->channel(c)->sequence().flushAppend();
    }
    wd::TrackList::instance().setCurrent(track);
    files.host.clearLog();
    ASSERT_EQ(WDXSaveTrackFile(files.progress, dir.file("cancel.mp3").c_str(), wd::kExportMp3), 0);
    ASSERT_TRUE(files.host.waitForMessage(files.progress, NotifySaveProgress));
    EXPECT_EQ(WDXCancelSaveFile(), 0);
    files.host.pumpFor(std::chrono::milliseconds(100));
    EXPECT_EQ(files.host.count(files.main, MsgSaveCancelled), 1u);
    EXPECT_EQ(files.host.count(files.progress, NotifySaveDone) + files.host.count(files.progress, NotifySaveFailed), 0u);
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

TEST_F(MpegAudio, ProgressRunsInBytesFromTheStartToTheFileSize) {
    writeSweep(dir.file("in.wav"), 2, 44100, 44100 * 8);
    sh("lame --quiet -b 128 '" + dir.file("in.wav") + "' '" + dir.file("long.mp3") + "'");
    const auto size = static_cast<WPARAM>(std::filesystem::file_size(dir.file("long.mp3")));
    ASSERT_TRUE(files.open(dir.file("long.mp3")));
    auto steps = files.host.messages(files.progress, NotifyImportProgress);
    ASSERT_GE(steps.size(), 3u);
    EXPECT_EQ(steps.front().lParam, 0);
    EXPECT_EQ(steps.back().lParam, static_cast<LPARAM>(size));
    for (size_t i = 0; i < steps.size(); ++i) {
        EXPECT_EQ(steps[i].wParam, size);
        if (i > 0) {
            EXPECT_GT(steps[i].lParam, steps[i - 1].lParam);
        }
        if (i > 1) {
            EXPECT_LE(steps[i].lParam - steps[i - 1].lParam, 65536);
        }
    }
}

TEST_F(MpegAudio, TagsAtEitherEndAreNotDecoded) {
    writeSweep(dir.file("in.wav"), 2, 44100, 44100);
    sh("lame --quiet -t -b 128 '" + dir.file("in.wav") + "' '" + dir.file("plain.mp3") + "'");
    const std::string frames = wdtest::readFile(dir.file("plain.mp3"));
    // An ID3v2 tag whose picture holds what looks like frames; APEv2 and ID3v1 behind.
    std::string picture;
    for (int i = 0; i < 40; ++i) picture += frames.substr(0, 417);
    std::string id3 = std::string("ID3\x04\x00\x00", 6);
    for (int shift : {21, 14, 7, 0}) id3.push_back(static_cast<char>(picture.size() >> shift & 0x7F));
    std::string ape = "APETAGEX" + std::string("\xD0\x07\0\0\x20\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0", 24);
    std::string id3v1 = "TAG" + std::string(125, ' ');
    ASSERT_TRUE(wdtest::writeFile(dir.file("tagged.mp3"), id3 + picture + frames + ape + id3v1));
    wdtest::keepForFuzzing(dir.file("tagged.mp3"));

    Track* plain = files.open(dir.file("plain.mp3"));
    ASSERT_TRUE(plain);
    auto expected = FileSession::samplesOf(*plain, 1);
    Track* tagged = files.open(dir.file("tagged.mp3"));
    ASSERT_TRUE(tagged);
    EXPECT_EQ(FileSession::samplesOf(*tagged, 1), expected);
}

TEST_F(MpegAudio, LaterFramesOfAnotherRateOrChannelCountFitTheFirstFrames) {
    // One second of stereo at 44.1 kHz, then one second of mono at 22.05 kHz.
    auto first = wdtest::toInt16(wdtest::sine(2, 44100, 44100, {440.0}, 0.5));
    auto second = wdtest::toInt16(wdtest::sine(1, 22050, 22050, {880.0}, 0.5));
    ASSERT_TRUE(wdtest::writePcm16(dir.file("a.wav"), SF_FORMAT_WAV, 2, 44100, first));
    ASSERT_TRUE(wdtest::writePcm16(dir.file("b.wav"), SF_FORMAT_WAV, 1, 22050, second));
    sh("lame --quiet -t -b 128 '" + dir.file("a.wav") + "' '" + dir.file("a.mp3") + "'");
    sh("lame --quiet -t -b 64 '" + dir.file("b.wav") + "' '" + dir.file("b.mp3") + "'");
    ASSERT_TRUE(wdtest::writeFile(dir.file("joined.mp3"), wdtest::readFile(dir.file("a.mp3")) + wdtest::readFile(dir.file("b.mp3"))));
    wdtest::keepForFuzzing(dir.file("joined.mp3"));
    Track* track = files.open(dir.file("joined.mp3"));
    ASSERT_TRUE(track);
    EXPECT_EQ(track->sampleRate, 44100);
    ASSERT_EQ(track->channelCount(), 2);
    // Each part keeps its duration (plus its codec's delay and padding) and its pitch.
    EXPECT_NEAR(track->length(), 2 * 44100, 2 * (kLameDelay + kFrame) * 2);
    auto left = FileSession::samplesOf(*track, 0), right = FileSession::samplesOf(*track, 1);
    const long tail = static_cast<long>(left.size()) - 22050;
    EXPECT_NEAR(wdtest::dominantFrequency({left.begin() + 5000, left.begin() + 40000}, 44100), 440.0, 2.0);
    EXPECT_NEAR(wdtest::dominantFrequency({left.begin() + tail - 10000, left.begin() + tail + 10000}, 44100), 880.0, 4.0);
    EXPECT_EQ(std::vector<float>(left.begin() + tail, left.end()), std::vector<float>(right.begin() + tail, right.end()));
}

TEST_F(MpegAudio, DamagedAndHostileFilesFailCleanlyOrOpenTheirDecodablePart) {
    writeSweep(dir.file("in.wav"), 2, 44100, 44100 * 2);
    sh("lame --quiet -b 128 '" + dir.file("in.wav") + "' '" + dir.file("good.mp3") + "'");
    const std::string good = wdtest::readFile(dir.file("good.mp3"));
    std::string damaged = good;
    for (size_t i = good.size() / 2; i < good.size() / 2 + 300; ++i) damaged[i] = static_cast<char>(i * 7);
    sh("sox -n -r 8000 -c 1 '" + dir.file("8k.wav") + "' synth 1 sine 440 gain -6");
    sh("lame --quiet -b 16 '" + dir.file("8k.wav") + "' '" + dir.file("mpeg25.mp3") + "'");
    sh("lame --quiet --freeformat -b 400 '" + dir.file("in.wav") + "' '" + dir.file("free.mp3") + "'");

    const int full = 44100 * 2;
    expectHostileFiles({
        {"empty.mp3", "", -1, -1},
        {"noise.mp3", noise(100000, 12345), -1, -1},
        {"text.mp3", "ID3 is not here, only words about sound\n", -1, -1},
        {"tag-only.mp3", std::string("ID3\x03\0\0\0\0\0\x10", 10) + std::string(16, '\0'), -1, -1},
        {"truncated.mp3", good.substr(0, good.size() / 3), full / 3 - 2 * kFrame, full / 3 + kFrame},
        {"damaged.mp3", damaged, full - 4 * kFrame, full},
        {"mpeg25.mp3", wdtest::readFile(dir.file("mpeg25.mp3")), 8000, 8000 + kLameDelay + 576},
        {"free.mp3", wdtest::readFile(dir.file("free.mp3")), full, full + kLameDelay + 2 * kFrame},
    });
}

}  // namespace
