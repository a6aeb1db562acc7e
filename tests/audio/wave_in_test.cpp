// Wave-in on the null device: full buffers, the generated tone, loopback, stop and reset.
#include <gtest/gtest.h>

#include <cmath>
#include <deque>
#include <numbers>
#include <thread>

#include "null_device.h"

namespace {

using namespace audiotest;

class WaveIn : public ::testing::Test {
protected:
    void SetUp() override { backend = &freshNullBackend(); }
    void TearDown() override {
        if (!handle) return;
        EXPECT_EQ(waveInReset(handle), MMSYSERR_NOERROR);
        EXPECT_EQ(waveInClose(handle), MMSYSERR_NOERROR);
    }
    void open(const WAVEFORMATEX& format) {
        ASSERT_EQ(waveInOpen(&handle, 0, &format, CallbackLog::function(), log.instance(), CALLBACK_FUNCTION),
                  MMSYSERR_NOERROR);
    }
    Buffer& add(size_t size) {
        Buffer& buffer = buffers.emplace_back(size);
        EXPECT_EQ(waveInPrepareHeader(handle, &buffer.header, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
        EXPECT_EQ(waveInAddBuffer(handle, &buffer.header, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
        return buffer;
    }

    wd::NullAudioBackend* backend = nullptr;
    HWAVEIN handle = nullptr;
    CallbackLog log;
    std::deque<Buffer> buffers;
};

TEST_F(WaveIn, DeliversTheToneInFullBuffersInOrder) {
    const double frequency = 1000.0;
    const double amplitude = 0.5;
    backend->setInputSignal(wd::NullAudioBackend::InputSignal::Tone, frequency, amplitude);
    WAVEFORMATEX format = pcm(2, 8000, 16);
    open(format);
    add(4000);
    add(4000);
    ASSERT_EQ(waveInStart(handle), MMSYSERR_NOERROR);
    ASSERT_TRUE(log.waitFor(WIM_DATA, 2));
    auto data = log.of(WIM_DATA);
    EXPECT_EQ(data[0].header, &buffers[0].header);
    EXPECT_EQ(data[1].header, &buffers[1].header);
    // Sample n of both channels is round(A sin(2 pi f n / rate) * 32767), so the value
    // may differ from the exact product by the rounding only: half a step.
    for (size_t b = 0; b < 2; ++b) {
        EXPECT_EQ(data[b].bytesRecorded, 4000u);
        const auto* samples = reinterpret_cast<const int16_t*>(buffers[b].data.data());
        for (size_t frame = 0; frame < 1000; ++frame) {
            size_t n = b * 1000 + frame;
            double exact = amplitude * std::sin(2 * std::numbers::pi * frequency * static_cast<double>(n) / 8000) * 32767;
            ASSERT_NEAR(samples[2 * frame], exact, 0.5 + 1e-6) << "frame " << n;
            ASSERT_EQ(samples[2 * frame + 1], samples[2 * frame]);
        }
    }
}

TEST_F(WaveIn, RecordsNothingBeforeStartAndSilenceByDefault) {
    WAVEFORMATEX format = pcm(1, 8000, 8);
    open(format);
    Buffer& buffer = add(800);
    std::fill(buffer.data.begin(), buffer.data.end(), BYTE{7});
    EXPECT_EQ(log.count(WIM_DATA), 0u);
    ASSERT_EQ(waveInStart(handle), MMSYSERR_NOERROR);
    ASSERT_TRUE(log.waitFor(WIM_DATA, 1));
    EXPECT_EQ(buffer.data, std::vector<BYTE>(800, 0x80));  // 8-bit silence is 128
}

TEST_F(WaveIn, LoopbackReturnsWhatTheOutputOfTheSameNumberPlayed) {
    backend->setInputSignal(wd::NullAudioBackend::InputSignal::Loopback);
    WAVEFORMATEX format = pcm(2, 22050, 16);
    HWAVEOUT out = nullptr;
    CallbackLog outLog;
    ASSERT_EQ(waveOutOpen(&out, 0, &format, CallbackLog::function(), outLog.instance(), CALLBACK_FUNCTION),
              MMSYSERR_NOERROR);
    Buffer played(8192);
    for (size_t i = 0; i < played.data.size(); ++i) played.data[i] = static_cast<BYTE>(i * 13 % 256);
    ASSERT_EQ(waveOutPrepareHeader(out, &played.header, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    ASSERT_EQ(waveOutWrite(out, &played.header, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    ASSERT_TRUE(outLog.waitFor(WOM_DONE, 1));
    ASSERT_EQ(waveOutClose(out), MMSYSERR_NOERROR);

    open(format);
    Buffer& recorded = add(8192);
    ASSERT_EQ(waveInStart(handle), MMSYSERR_NOERROR);
    ASSERT_TRUE(log.waitFor(WIM_DATA, 1));
    EXPECT_EQ(recorded.data, played.data);
}

TEST_F(WaveIn, StopReturnsThePartlyFilledBufferAndKeepsTheEmptyOnesQueued) {
    backend->setSpeed(1.0);
    WAVEFORMATEX format = pcm(2, 44100, 16);
    open(format);
    add(44100 * 4);  // a second each
    add(44100 * 4);
    // Record in short runs until a stop finds something in the first buffer (the very
    // first run normally); a stop on an empty buffer returns nothing.
    auto deadline = std::chrono::steady_clock::now() + 10s;
    do {
        ASSERT_EQ(waveInStart(handle), MMSYSERR_NOERROR);
        std::this_thread::sleep_for(20ms);
        ASSERT_EQ(waveInStop(handle), MMSYSERR_NOERROR);
    } while (log.count(WIM_DATA) == 0 && std::chrono::steady_clock::now() < deadline);
    auto data = log.of(WIM_DATA);
    ASSERT_EQ(data.size(), 1u);
    EXPECT_EQ(data[0].header, &buffers[0].header);
    EXPECT_GT(data[0].bytesRecorded, 0u);
    EXPECT_LT(data[0].bytesRecorded, 44100u * 4);
    EXPECT_EQ(data[0].bytesRecorded % 4, 0u);
    // The second buffer is still queued: reset returns it empty.
    ASSERT_EQ(waveInReset(handle), MMSYSERR_NOERROR);
    data = log.of(WIM_DATA);
    ASSERT_EQ(data.size(), 2u);
    EXPECT_EQ(data[1].header, &buffers[1].header);
    EXPECT_EQ(data[1].bytesRecorded, 0u);
}

TEST_F(WaveIn, ResetReturnsAllBuffersWithWhatTheyHold) {
    backend->setSpeed(1.0);
    WAVEFORMATEX format = pcm(1, 8000, 16);
    open(format);
    for (int i = 0; i < 3; ++i) add(16000);
    ASSERT_EQ(waveInReset(handle), MMSYSERR_NOERROR);
    auto data = log.of(WIM_DATA);
    ASSERT_EQ(data.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(data[i].header, &buffers[i].header);
        EXPECT_EQ(data[i].bytesRecorded, 0u);
        EXPECT_EQ(data[i].flags & (WHDR_DONE | WHDR_INQUEUE), WHDR_DONE);
    }
}

TEST_F(WaveIn, ADeviceThatGoesAwayReturnsItsBuffers) {
    backend->setSpeed(1.0);
    WAVEFORMATEX format = pcm(1, 8000, 16);
    open(format);
    add(16000);
    add(16000);
    ASSERT_EQ(waveInStart(handle), MMSYSERR_NOERROR);
    backend->failOpenStreams();
    ASSERT_TRUE(log.waitFor(WIM_DATA, 2));
    Buffer extra(1600);
    ASSERT_EQ(waveInPrepareHeader(handle, &extra.header, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    EXPECT_EQ(waveInAddBuffer(handle, &extra.header, sizeof(WAVEHDR)), MMSYSERR_NODRIVER);
}

}  // namespace
