// The wave-out header protocol on the null device: order, bytes, pause, reset, failure.
#include <gtest/gtest.h>

#include <atomic>
#include <deque>
#include <thread>

#include "null_device.h"

namespace {

using namespace audiotest;

/** Bytes 0, 1, 2, ... from `start`, so every byte tells where it came from. */
void staircase(Buffer& buffer, size_t start) {
    for (size_t i = 0; i < buffer.data.size(); ++i) buffer.data[i] = static_cast<BYTE>((start + i) * 7 % 251);
}

class WaveOut : public ::testing::Test {
protected:
    void SetUp() override { backend = &freshNullBackend(); }
    void open(double speed, WORD channels = 2, DWORD rate = 44100) {
        backend->setSpeed(speed);
        WAVEFORMATEX format = pcm(channels, rate, 16);
        ASSERT_EQ(waveOutOpen(&handle, 0, &format, CallbackLog::function(), log.instance(), CALLBACK_FUNCTION),
                  MMSYSERR_NOERROR);
    }
    void close() {
        ASSERT_EQ(waveOutReset(handle), MMSYSERR_NOERROR);
        ASSERT_EQ(waveOutClose(handle), MMSYSERR_NOERROR);
        handle = nullptr;
    }
    void TearDown() override {
        if (handle) close();
    }
    Buffer& add(size_t size) {
        Buffer& buffer = buffers.emplace_back(size);
        staircase(buffer, 0);
        EXPECT_EQ(waveOutPrepareHeader(handle, &buffer.header, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
        return buffer;
    }

    wd::NullAudioBackend* backend = nullptr;
    HWAVEOUT handle = nullptr;
    CallbackLog log;
    std::deque<Buffer> buffers;
};

TEST_F(WaveOut, PlaysQueuedHeadersInOrderAndReturnsEachDoneWithItsBytesPlayedExactly) {
    open(std::numeric_limits<double>::infinity());
    std::vector<BYTE> expected;
    for (size_t i = 0; i < 3; ++i) {
        Buffer& buffer = add(4096 * (i + 1));
        staircase(buffer, i * 1000);
        expected.insert(expected.end(), buffer.data.begin(), buffer.data.end());
        ASSERT_EQ(waveOutWrite(handle, &buffer.header, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    }
    ASSERT_TRUE(log.waitFor(WOM_DONE, 3));
    auto done = log.of(WOM_DONE);
    ASSERT_EQ(done.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(done[i].header, &buffers[i].header);
        EXPECT_TRUE(done[i].flags & WHDR_DONE);
        EXPECT_FALSE(done[i].flags & WHDR_INQUEUE);
    }
    EXPECT_EQ(backend->captured(0), expected);
    EXPECT_EQ(log.count(WOM_OPEN), 1u);
}

TEST_F(WaveOut, EnforcesTheHeaderProtocol) {
    open(1.0);
    Buffer unprepared(4096);
    EXPECT_EQ(waveOutWrite(handle, &unprepared.header, sizeof(WAVEHDR)), WAVERR_UNPREPARED);
    Buffer& odd = add(4095);
    EXPECT_EQ(waveOutWrite(handle, &odd.header, sizeof(WAVEHDR)), MMSYSERR_INVALPARAM);
    Buffer& buffer = add(44100 * 4);  // one second at real time: still queued below
    ASSERT_EQ(waveOutWrite(handle, &buffer.header, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    EXPECT_EQ(waveOutWrite(handle, &buffer.header, sizeof(WAVEHDR)), WAVERR_STILLPLAYING);
    EXPECT_EQ(waveOutUnprepareHeader(handle, &buffer.header, sizeof(WAVEHDR)), WAVERR_STILLPLAYING);
    EXPECT_EQ(waveOutClose(handle), WAVERR_STILLPLAYING);
    EXPECT_EQ(waveOutWrite(handle, &buffer.header, sizeof(WAVEHDR) - 1), MMSYSERR_INVALPARAM);
    close();
    EXPECT_EQ(waveOutWrite(handle, &buffer.header, sizeof(WAVEHDR)), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(waveOutClose(reinterpret_cast<HWAVEOUT>(0x1234)), MMSYSERR_INVALHANDLE);
}

TEST_F(WaveOut, RefusesFormatsItCannotPlayAndAnswersQueries) {
    WAVEFORMATEX format = pcm(2, 44100, 16);
    EXPECT_EQ(waveOutOpen(nullptr, WAVE_MAPPER, &format, 0, 0, WAVE_FORMAT_QUERY), MMSYSERR_NOERROR);
    WAVEFORMATEX bad = pcm(3, 44100, 16);
    EXPECT_EQ(waveOutOpen(nullptr, 0, &bad, 0, 0, WAVE_FORMAT_QUERY), WAVERR_BADFORMAT);
    bad = pcm(2, 44100, 24);
    EXPECT_EQ(waveOutOpen(nullptr, 0, &bad, 0, 0, WAVE_FORMAT_QUERY), WAVERR_BADFORMAT);
    bad = format;
    bad.nAvgBytesPerSec += 1;
    EXPECT_EQ(waveOutOpen(nullptr, 0, &bad, 0, 0, WAVE_FORMAT_QUERY), WAVERR_BADFORMAT);
    EXPECT_EQ(waveOutOpen(nullptr, 1, &format, 0, 0, WAVE_FORMAT_QUERY), MMSYSERR_BADDEVICEID);
    EXPECT_EQ(waveOutOpen(nullptr, 0, &format, 0, 0, CALLBACK_WINDOW), MMSYSERR_INVALFLAG);
    backend->setDevices(0, 0);
    EXPECT_EQ(waveOutOpen(nullptr, WAVE_MAPPER, &format, 0, 0, WAVE_FORMAT_QUERY), MMSYSERR_NODRIVER);
}

TEST_F(WaveOut, ResetReturnsEveryQueuedHeaderDoneInOrderBeforeItReturns) {
    open(1.0);
    for (int i = 0; i < 3; ++i) {
        Buffer& buffer = add(44100 * 4);  // a second each at real time
        ASSERT_EQ(waveOutWrite(handle, &buffer.header, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    }
    ASSERT_EQ(waveOutReset(handle), MMSYSERR_NOERROR);
    auto done = log.of(WOM_DONE);
    ASSERT_EQ(done.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(done[i].header, &buffers[i].header);
        EXPECT_EQ(buffers[i].header.dwFlags & (WHDR_DONE | WHDR_INQUEUE), WHDR_DONE);
        EXPECT_EQ(waveOutUnprepareHeader(handle, &buffers[i].header, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    }
    // Far less than the three seconds queued was played.
    EXPECT_LT(backend->captured(0).size(), buffers[0].data.size() * 3);
    ASSERT_EQ(waveOutClose(handle), MMSYSERR_NOERROR);
    handle = nullptr;
    EXPECT_EQ(log.count(WOM_CLOSE), 1u);
}

TEST_F(WaveOut, PlaysNothingWhilePausedAndGoesOnWhereItStoppedAfterRestart) {
    open(1.0);
    Buffer& buffer = add(44100 * 4 / 5);  // 0.2 s
    ASSERT_EQ(waveOutPause(handle), MMSYSERR_NOERROR);
    ASSERT_EQ(waveOutWrite(handle, &buffer.header, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    std::this_thread::sleep_for(50ms);
    EXPECT_TRUE(backend->captured(0).empty());
    EXPECT_EQ(log.count(WOM_DONE), 0u);
    backend->setSpeed(std::numeric_limits<double>::infinity());
    ASSERT_EQ(waveOutRestart(handle), MMSYSERR_NOERROR);
    ASSERT_TRUE(log.waitFor(WOM_DONE, 1));
    EXPECT_EQ(backend->captured(0), buffer.data);
}

TEST_F(WaveOut, PauseInTheMiddleOfAHeaderKeepsTheBytesInOrder) {
    open(1.0, 1, 8000);  // 16000 bytes a second
    Buffer& buffer = add(3200);  // 0.2 s
    ASSERT_EQ(waveOutWrite(handle, &buffer.header, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    std::this_thread::sleep_for(50ms);
    ASSERT_EQ(waveOutPause(handle), MMSYSERR_NOERROR);
    size_t played = backend->captured(0).size();
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(backend->captured(0).size(), played);
    ASSERT_EQ(waveOutRestart(handle), MMSYSERR_NOERROR);
    ASSERT_TRUE(log.waitFor(WOM_DONE, 1));
    EXPECT_EQ(backend->captured(0), buffer.data);
}

/** Rewrites each finished header from inside the callback until `rounds` were played. */
struct Refill {
    HWAVEOUT handle = nullptr;
    std::atomic<int> remaining{0};
    CallbackLog log;

    static void CALLBACK callback(void* handle, UINT message, DWORD_PTR instance, DWORD_PTR param1, DWORD_PTR param2) {
        auto* self = reinterpret_cast<Refill*>(instance);
        if (message == WOM_DONE && self->remaining.fetch_sub(1) > 1) {
            auto* header = reinterpret_cast<WAVEHDR*>(param1);
            waveOutUnprepareHeader(static_cast<HWAVEOUT>(handle), header, sizeof(WAVEHDR));
            waveOutPrepareHeader(static_cast<HWAVEOUT>(handle), header, sizeof(WAVEHDR));
            waveOutWrite(static_cast<HWAVEOUT>(handle), header, sizeof(WAVEHDR));
        }
        CallbackLog::callback(handle, message, reinterpret_cast<DWORD_PTR>(&self->log), param1, param2);
    }
};

TEST_F(WaveOut, ACallbackMayRequeueItsHeader) {
    backend->setSpeed(std::numeric_limits<double>::infinity());
    Refill refill;
    refill.remaining = 10;
    WAVEFORMATEX format = pcm(2, 44100, 16);
    ASSERT_EQ(waveOutOpen(&handle, WAVE_MAPPER, &format, reinterpret_cast<DWORD_PTR>(&Refill::callback),
                          reinterpret_cast<DWORD_PTR>(&refill), CALLBACK_FUNCTION),
              MMSYSERR_NOERROR);
    Buffer& buffer = add(1024);
    ASSERT_EQ(waveOutWrite(handle, &buffer.header, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    ASSERT_TRUE(refill.log.waitFor(WOM_DONE, 10));
    close();
    EXPECT_EQ(refill.log.count(WOM_DONE), 10u);
    EXPECT_EQ(backend->captured(0).size(), 10u * 1024);
}

TEST_F(WaveOut, ADeviceThatGoesAwayReturnsItsHeadersAndRefusesNewOnes) {
    open(1.0);
    Buffer& first = add(44100 * 4);
    Buffer& second = add(44100 * 4);
    ASSERT_EQ(waveOutWrite(handle, &first.header, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    ASSERT_EQ(waveOutWrite(handle, &second.header, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    backend->failOpenStreams();
    ASSERT_TRUE(log.waitFor(WOM_DONE, 2));
    EXPECT_EQ(waveOutWrite(handle, &first.header, sizeof(WAVEHDR)), MMSYSERR_NODRIVER);
    close();
}

TEST_F(WaveOut, OpeningFailsWhenTheDeviceCannot) {
    backend->setOpenFails(true);
    WAVEFORMATEX format = pcm(2, 44100, 16);
    HWAVEOUT opened = nullptr;
    EXPECT_EQ(waveOutOpen(&opened, 0, &format, 0, 0, CALLBACK_NULL), MMSYSERR_NODRIVER);
    EXPECT_EQ(opened, nullptr);
}

TEST(WaveOutDevices, AreCountedAndNamed) {
    wd::NullAudioBackend& backend = freshNullBackend();
    backend.setDevices(2, 1);
    EXPECT_EQ(waveOutGetNumDevs(), 2u);
    WAVEOUTCAPSA caps{};
    ASSERT_EQ(waveOutGetDevCapsA(1, &caps, sizeof caps), MMSYSERR_NOERROR);
    EXPECT_STREQ(caps.szPname, "Null Output 2");
    ASSERT_EQ(waveOutGetDevCapsA(WAVE_MAPPER, &caps, sizeof caps), MMSYSERR_NOERROR);
    EXPECT_STREQ(caps.szPname, "Null Output 1");
    EXPECT_EQ(waveOutGetDevCapsA(2, &caps, sizeof caps), MMSYSERR_BADDEVICEID);
}

}  // namespace
