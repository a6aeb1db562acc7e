// The MP3 encoder library through its four entry points, as the engine loads and calls it.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>

#include "formats/mp3_encoder_library.h"
#include "support/signal.h"
#include "support/sound_files.h"
#include "support/temp_dir.h"

namespace {

using wd::Mp3EncoderLibrary;

constexpr uint32_t kOutputBuffer = 8480;

struct Encoded {
    std::vector<uint8_t> bytes;
    uint32_t largestCall = 0;
    int calls = 0;
};

Mp3EncoderConfig config(uint32_t sampleRate, int channels, uint16_t bitrate) {
    Mp3EncoderConfig c{};
    c.configKind = BE_CONFIG_MP3;
    c.sampleRate = sampleRate;
    c.mode = channels == 2 ? BE_MP3_MODE_STEREO : BE_MP3_MODE_MONO;
    c.bitrate = bitrate;
    c.privateBit = 0;
    c.crc = 1;
    c.copyright = 1;
    c.original = 1;
    return c;
}

class Mp3Encoder : public ::testing::Test {
protected:
    void SetUp() override {
        lib = &Mp3EncoderLibrary::instance();
        ASSERT_TRUE(lib->available()) << "the encoder library was not loaded at start-up";
    }

    // Encodes the 16-bit values in calls of `chunk` values, as a save does.
    Encoded encode(const Mp3EncoderConfig& c, const std::vector<int16_t>& values, size_t chunk) {
        Encoded out;
        uint32_t suggested = 0, bufferSize = 0;
        BeStream stream = 0;
        EXPECT_EQ(lib->initStream(&c, &suggested, &bufferSize, &stream), BE_ERR_SUCCESSFUL);
        EXPECT_NE(stream, 0u);
        EXPECT_LE(bufferSize, kOutputBuffer);
        std::vector<uint8_t> buffer(kOutputBuffer + 64, 0xAB);
        auto take = [&](uint32_t n) {
            EXPECT_LE(n, kOutputBuffer);
            EXPECT_EQ(buffer[kOutputBuffer], 0xAB) << "wrote past the output buffer";
            out.largestCall = std::max(out.largestCall, n);
            out.bytes.insert(out.bytes.end(), buffer.begin(), buffer.begin() + n);
            ++out.calls;
        };
        for (size_t at = 0; at < values.size(); at += chunk) {
            uint32_t count = static_cast<uint32_t>(std::min(chunk, values.size() - at));
            uint32_t produced = 0;
            EXPECT_EQ(lib->encodeChunk(stream, count, values.data() + at, buffer.data(), &produced), BE_ERR_SUCCESSFUL);
            take(produced);
        }
        uint32_t produced = 0;
        EXPECT_EQ(lib->deinitStream(stream, buffer.data(), &produced), BE_ERR_SUCCESSFUL);
        take(produced);
        EXPECT_EQ(lib->closeStream(stream), BE_ERR_SUCCESSFUL);
        return out;
    }

    std::string write(const Encoded& e, const std::string& name) {
        std::string path = dir.file(name);
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(e.bytes.data()),
                                                    static_cast<std::streamsize>(e.bytes.size()));
        return path;
    }

    Mp3EncoderLibrary* lib = nullptr;
    wdtest::TempDir dir;
};

// What an independent decoder must find in a stream made from `frames` frames of tone.
void expectTone(const std::string& path, int rate, int channels, size_t frames, const std::vector<double>& freqs) {
    wdtest::SoundFile decoded = wdtest::readSoundFile(path);
    ASSERT_TRUE(decoded.ok) << "libsndfile cannot read " << path;
    EXPECT_EQ(decoded.sampleRate, rate);
    EXPECT_EQ(decoded.channels, channels);
    // Without a gapless tag a decoder adds the encoder's delay and pads to whole frames:
    // at most one 1152-sample frame of padding plus the 576-sample delay.
    EXPECT_GE(decoded.frames, static_cast<int64_t>(frames));
    EXPECT_LE(decoded.frames, static_cast<int64_t>(frames + 1152 + 576 + 1152));
    for (int c = 0; c < channels; ++c) {
        auto one = wdtest::channel(decoded.samples, channels, c);
        // Judge the middle, away from the encoder's start-up and the padding.
        std::vector<float> middle(one.begin() + static_cast<long>(one.size() / 4), one.begin() + static_cast<long>(one.size() * 3 / 4));
        double f = wdtest::dominantFrequency(middle, rate);
        EXPECT_NEAR(f, freqs[static_cast<size_t>(c)], freqs[static_cast<size_t>(c)] * 0.005) << "channel " << c;
        EXPECT_NEAR(wdtest::rms(middle), 0.5 / std::sqrt(2.0), 0.05) << "level of channel " << c;
    }
    if (wdtest::haveProgram("ffprobe")) {
        std::string probe = wdtest::runCommand("ffprobe -v error -select_streams a:0 -show_entries "
                                               "stream=codec_name,sample_rate,channels -of default=nw=1 '" + path + "'");
        EXPECT_NE(probe.find("codec_name=mp3"), std::string::npos) << probe;
        EXPECT_NE(probe.find("sample_rate=" + std::to_string(rate)), std::string::npos) << probe;
        EXPECT_NE(probe.find("channels=" + std::to_string(channels)), std::string::npos) << probe;
    }
}

TEST_F(Mp3Encoder, StereoToneInSaveSizedChunksDecodesToTheSameToneAndLength) {
    if (!wdtest::libsndfileReadsMp3()) GTEST_SKIP() << "this libsndfile reads no MP3";
    const size_t frames = 44100 * 3 + 777;
    auto values = wdtest::toInt16(wdtest::sine(2, 44100, frames, {440.0, 1000.0}, 0.5));
    Encoded e = encode(config(44100, 2, 128), values, 2048);
    EXPECT_LE(e.largestCall, kOutputBuffer);
    // 128 kbit/s for the length of the signal, within a couple of frames.
    double expectedBytes = 128000.0 / 8 * static_cast<double>(frames) / 44100;
    EXPECT_NEAR(static_cast<double>(e.bytes.size()), expectedBytes, 3 * 418.0);
    expectTone(write(e, "stereo.mp3"), 44100, 2, frames, {440.0, 1000.0});
}

TEST_F(Mp3Encoder, MonoToneAtALowRateDecodesAsMono) {
    if (!wdtest::libsndfileReadsMp3()) GTEST_SKIP() << "this libsndfile reads no MP3";
    const size_t frames = 22050 * 2 + 5;
    auto values = wdtest::toInt16(wdtest::sine(1, 22050, frames, {700.0}, 0.5));
    Encoded e = encode(config(22050, 1, 64), values, 1024);
    expectTone(write(e, "mono.mp3"), 22050, 1, frames, {700.0});
}

TEST_F(Mp3Encoder, OddAndTinyChunksLoseNoStereoFrame) {
    if (!wdtest::libsndfileReadsMp3()) GTEST_SKIP() << "this libsndfile reads no MP3";
    const size_t frames = 44100;
    auto values = wdtest::toInt16(wdtest::sine(2, 44100, frames, {500.0, 2000.0}, 0.5));
    Encoded e = encode(config(44100, 2, 192), values, 333);
    expectTone(write(e, "odd.mp3"), 44100, 2, frames, {500.0, 2000.0});
}

TEST_F(Mp3Encoder, NoCallExceedsTheOutputBufferAtTheDensestSettings) {
    // 32 kHz at 320 kbit/s is the most bytes per sample the format allows.
    auto values = wdtest::toInt16(wdtest::sine(2, 32000, 32000 * 2, {300.0, 900.0}, 0.9));
    Encoded e = encode(config(32000, 2, 320), values, 2048);
    EXPECT_LE(e.largestCall, kOutputBuffer);
    EXPECT_NEAR(static_cast<double>(e.bytes.size()), 320000.0 / 8 * 2, 3 * 1440.0) << "two seconds at 320 kbit/s";
}

TEST_F(Mp3Encoder, FrameHeadersCarryTheRequestedBits) {
    auto values = wdtest::toInt16(wdtest::sine(2, 44100, 44100, {440.0}, 0.5));
    Encoded e = encode(config(44100, 2, 128), values, 2048);
    ASSERT_GE(e.bytes.size(), 4u);
    const uint8_t* h = e.bytes.data();
    ASSERT_EQ(h[0], 0xFF);
    EXPECT_EQ(h[1] & 0xE0, 0xE0) << "frame sync";
    EXPECT_EQ(h[1] & 0x01, 0x00) << "protection bit 0 means a CRC follows";
    EXPECT_EQ(h[2] >> 4, 9) << "bit-rate index 9 is 128 kbit/s in MPEG-1 layer III";
    EXPECT_EQ(h[3] >> 6, 0) << "stereo channel mode";
    EXPECT_EQ(h[3] & 0x08, 0x08) << "copyright";
    EXPECT_EQ(h[3] & 0x04, 0x04) << "original";
    EXPECT_EQ(h[2] & 0x01, 0x00) << "private bit";
}

TEST_F(Mp3Encoder, BadCallsFailWithoutHarm) {
    uint32_t produced = 99;
    uint8_t buffer[kOutputBuffer];
    int16_t values[4096] = {};
    EXPECT_EQ(lib->encodeChunk(12345, 4, values, buffer, &produced), BE_ERR_INVALID_HANDLE);
    EXPECT_EQ(produced, 0u);
    EXPECT_EQ(lib->closeStream(0), BE_ERR_INVALID_HANDLE);

    BeStream stream = 0;
    Mp3EncoderConfig bad = config(44100, 2, 128);
    bad.configKind = 7;
    EXPECT_NE(lib->initStream(&bad, nullptr, nullptr, &stream), BE_ERR_SUCCESSFUL);
    EXPECT_EQ(stream, 0u);
    bad = config(0, 2, 128);
    EXPECT_NE(lib->initStream(&bad, nullptr, nullptr, &stream), BE_ERR_SUCCESSFUL);
    EXPECT_NE(lib->initStream(nullptr, nullptr, nullptr, &stream), BE_ERR_SUCCESSFUL);

    Mp3EncoderConfig good = config(44100, 2, 128);
    ASSERT_EQ(lib->initStream(&good, nullptr, nullptr, &stream), BE_ERR_SUCCESSFUL);
    EXPECT_NE(lib->encodeChunk(stream, 4096, values, buffer, &produced), BE_ERR_SUCCESSFUL) << "more than 2048 values";
    EXPECT_NE(lib->encodeChunk(stream, 4, nullptr, buffer, &produced), BE_ERR_SUCCESSFUL);
    // A cancelled save closes without ending the stream; the handle is then gone.
    EXPECT_EQ(lib->closeStream(stream), BE_ERR_SUCCESSFUL);
    EXPECT_EQ(lib->closeStream(stream), BE_ERR_INVALID_HANDLE);
    EXPECT_EQ(lib->encodeChunk(stream, 4, values, buffer, &produced), BE_ERR_INVALID_HANDLE);
}

TEST(Mp3EncoderConfigRecord, IsPackedAtTheFixedOffsets) {
    Mp3EncoderConfig c{};
    auto* base = reinterpret_cast<uint8_t*>(&c);
    EXPECT_EQ(sizeof c, 27u);
    EXPECT_EQ(reinterpret_cast<uint8_t*>(&c.sampleRate) - base, 4);
    EXPECT_EQ(&c.mode - base, 8);
    EXPECT_EQ(reinterpret_cast<uint8_t*>(&c.bitrate) - base, 9);
    EXPECT_EQ(reinterpret_cast<uint8_t*>(&c.original) - base, 23);
}

}  // namespace
