// What the tests against a real PulseAudio server share (scripts/pulse-test-server.sh
// starts one with the null sink "ci_sink", described "CI_Null_Sink"): the backend, the
// sink and its monitor by name, a recording of the monitor, and how a played signal is
// found in it.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "model/track.h"
#include "platform/audio/pulse_audio_backend.h"
#include "platform/audio/winmm.h"

namespace pulsetest {

using namespace std::chrono_literals;

/** The process's backend, made to be pulse (CTest asks for null by default); null when
 * no server answers. */
wd::PulseAudioBackend* pulseBackend();
/** The number of the output (or input) device with that product name, or -1. */
int deviceNamed(bool output, const std::string& name);

#define REQUIRE_TEST_SERVER(sink, monitor)                                                                        \
    if (!pulsetest::pulseBackend())                                                                               \
        GTEST_SKIP() << "no PulseAudio server answers (scripts/pulse-test-server.sh starts one)";                  \
    const int sink = pulsetest::deviceNamed(true, "CI_Null_Sink");                                                \
    const int monitor = pulsetest::deviceNamed(false, "Monitor of CI_Null_Sink");                                 \
    if (sink < 0 || monitor < 0) GTEST_SKIP() << "the server has no null sink \"CI_Null_Sink\" with its monitor"

/** 44.1 kHz 16-bit stereo. */
WAVEFORMATEX cdFormat();

/** Gives the track two channels of `frames` frames of noise at half scale at 44.1 kHz,
 * different per channel; @returns what the player sends of them: x * 32767.5 truncated
 * toward zero, interleaved. */
std::vector<int16_t> fillWithNoise(wd::Track& track, int frames, unsigned seed);

/** Records an input device in quarter-second buffers from start() until stop(). */
class MonitorRecording {
public:
    MonitorRecording(int device, double seconds);
    ~MonitorRecording();
    /** Starts and waits until the first buffer came back, so what is played from now on
     * is recorded whole. */
    bool start();
    /** Waits until every buffer came back, then resets and closes the device; the
     * interleaved samples recorded. */
    std::vector<int16_t> stop();

private:
    static void CALLBACK callback(void*, UINT message, DWORD_PTR instance, DWORD_PTR, DWORD_PTR);
    bool waitFor(size_t buffers);

    HWAVEIN handle_ = nullptr;
    std::deque<std::vector<BYTE>> data_;
    std::deque<WAVEHDR> headers_;
    std::mutex mutex_;
    std::condition_variable cv_;
    size_t returned_ = 0;
};

/** Checks that `played` (interleaved stereo noise, loud from its first sample on) came
 * back whole in the capture: found at some offset, correlating above 0.99 there, its last
 * 50 ms too. The comparison starts 10 ms in: the monitor misses the first milliseconds of
 * a new stream (the sink rewinds to mix it in, and a monitor keeps what it had; pacat
 * loses them too). */
void expectPlayedWhole(const std::vector<int16_t>& played, const std::vector<int16_t>& capture);

}  // namespace pulsetest
