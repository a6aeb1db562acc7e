// Against a real PulseAudio server (scripts/pulse-test-server.sh starts one with the
// null sink "ci_sink"): sound played into the sink comes back from its monitor intact,
// and mixer changes made on the server reach the callback window. Every test skips,
// saying why, when no such server answers.
#include <gtest/gtest.h>

#include <cmath>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <deque>
#include <random>

#include "platform/audio/audio_backend.h"
#include "platform/audio/pulse_audio_backend.h"
#include "platform/audio/winmm.h"
#include "support/test_host.h"

namespace {

using namespace std::chrono_literals;

/** The process's backend, made to be pulse (CTest asks for null by default). */
wd::PulseAudioBackend* pulseBackend() {
    static wd::PulseAudioBackend* backend = [] {
        setenv("WAVEDECK_AUDIO", "pulse", 1);
        return dynamic_cast<wd::PulseAudioBackend*>(&wd::AudioBackend::instance());
    }();
    return backend && backend->connected() ? backend : nullptr;
}

int findDevice(bool output, const std::string& name) {
    UINT count = output ? waveOutGetNumDevs() : waveInGetNumDevs();
    for (UINT i = 0; i < count; ++i) {
        char pname[32] = {};
        if (output) {
            WAVEOUTCAPSA caps{};
            if (waveOutGetDevCapsA(i, &caps, sizeof caps) == MMSYSERR_NOERROR) std::memcpy(pname, caps.szPname, 32);
        } else {
            WAVEINCAPSA caps{};
            if (waveInGetDevCapsA(i, &caps, sizeof caps) == MMSYSERR_NOERROR) std::memcpy(pname, caps.szPname, 32);
        }
        if (name == pname) return static_cast<int>(i);
    }
    return -1;
}

#define REQUIRE_TEST_SERVER(sink, monitor)                                                                        \
    if (!pulseBackend()) GTEST_SKIP() << "no PulseAudio server answers (scripts/pulse-test-server.sh starts one)"; \
    int sink = findDevice(true, "CI_Null_Sink");                                                                \
    int monitor = findDevice(false, "Monitor of CI_Null_Sink");                                                 \
    if (sink < 0 || monitor < 0) GTEST_SKIP() << "the server has no null sink \"CI_Null_Sink\" with its monitor"

WAVEFORMATEX cdFormat() {
    WAVEFORMATEX format{};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = 2;
    format.nSamplesPerSec = 44100;
    format.wBitsPerSample = 16;
    format.nBlockAlign = 4;
    format.nAvgBytesPerSec = 44100 * 4;
    return format;
}

struct Done {
    std::mutex mutex;
    std::condition_variable cv;
    std::vector<WAVEHDR*> headers;

    static void CALLBACK callback(void*, UINT message, DWORD_PTR instance, DWORD_PTR param1, DWORD_PTR) {
        if (message != WOM_DONE && message != WIM_DATA) return;
        auto* self = reinterpret_cast<Done*>(instance);
        std::lock_guard lock(self->mutex);
        self->headers.push_back(reinterpret_cast<WAVEHDR*>(param1));
        self->cv.notify_all();
    }
    bool waitFor(size_t count, std::chrono::milliseconds deadline) {
        std::unique_lock lock(mutex);
        return cv.wait_for(lock, deadline, [&] { return headers.size() >= count; });
    }
};

/** Pearson correlation of a and b[offset ...]. */
double correlation(const std::vector<int16_t>& a, const std::vector<int16_t>& b, size_t offset) {
    double sa = 0, sb = 0, saa = 0, sbb = 0, sab = 0;
    size_t n = a.size();
    for (size_t i = 0; i < n; ++i) {
        double x = a[i], y = b[offset + i];
        sa += x;
        sb += y;
        saa += x * x;
        sbb += y * y;
        sab += x * y;
    }
    double cov = sab - sa * sb / n;
    double va = saa - sa * sa / n;
    double vb = sbb - sb * sb / n;
    return va > 0 && vb > 0 ? cov / std::sqrt(va * vb) : 0.0;
}

TEST(PulseRoundTrip, SoundPlayedIntoTheNullSinkComesBackFromItsMonitorIntact) {
    REQUIRE_TEST_SERVER(sink, monitor);
    WAVEFORMATEX format = cdFormat();

    // One second of noise (seed logged) at half scale, different in each channel.
    const unsigned seed = 20240611;
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> noise(-16000, 16000);
    std::vector<int16_t> played(44100 * 2);
    for (int16_t& sample : played) sample = static_cast<int16_t>(noise(random));
    SCOPED_TRACE("noise seed " + std::to_string(seed));

    // Record three seconds from the monitor in 0.25 s buffers.
    HWAVEIN in = nullptr;
    Done recorded;
    ASSERT_EQ(waveInOpen(&in, static_cast<UINT>(monitor), &format, reinterpret_cast<DWORD_PTR>(&Done::callback),
                         reinterpret_cast<DWORD_PTR>(&recorded), CALLBACK_FUNCTION),
              MMSYSERR_NOERROR);
    const size_t kInBuffers = 12;
    std::deque<std::vector<BYTE>> inData;
    std::deque<WAVEHDR> inHeaders;
    for (size_t i = 0; i < kInBuffers; ++i) {
        inData.emplace_back(44100);
        WAVEHDR& header = inHeaders.emplace_back();
        header = {};
        header.lpData = reinterpret_cast<LPSTR>(inData.back().data());
        header.dwBufferLength = 44100;
        ASSERT_EQ(waveInPrepareHeader(in, &header, sizeof header), MMSYSERR_NOERROR);
        ASSERT_EQ(waveInAddBuffer(in, &header, sizeof header), MMSYSERR_NOERROR);
    }
    ASSERT_EQ(waveInStart(in), MMSYSERR_NOERROR);

    // Play the noise between half seconds of silence: the silence before lets the
    // capture start before the noise, the silence after takes it all out of the server.
    HWAVEOUT out = nullptr;
    Done playedDone;
    ASSERT_EQ(waveOutOpen(&out, static_cast<UINT>(sink), &format, reinterpret_cast<DWORD_PTR>(&Done::callback),
                          reinterpret_cast<DWORD_PTR>(&playedDone), CALLBACK_FUNCTION),
              MMSYSERR_NOERROR);
    std::vector<int16_t> silence(44100, 0);
    WAVEHDR outHeaders[3] = {};
    outHeaders[0].lpData = reinterpret_cast<LPSTR>(silence.data());
    outHeaders[0].dwBufferLength = static_cast<DWORD>(silence.size() * 2);
    outHeaders[1].lpData = reinterpret_cast<LPSTR>(played.data());
    outHeaders[1].dwBufferLength = static_cast<DWORD>(played.size() * 2);
    outHeaders[2] = outHeaders[0];
    for (WAVEHDR& header : outHeaders) {
        ASSERT_EQ(waveOutPrepareHeader(out, &header, sizeof header), MMSYSERR_NOERROR);
        ASSERT_EQ(waveOutWrite(out, &header, sizeof header), MMSYSERR_NOERROR);
    }
    EXPECT_TRUE(playedDone.waitFor(3, 20000ms));
    EXPECT_TRUE(recorded.waitFor(kInBuffers, 20000ms));
    ASSERT_EQ(waveOutReset(out), MMSYSERR_NOERROR);
    ASSERT_EQ(waveOutClose(out), MMSYSERR_NOERROR);
    ASSERT_EQ(waveInReset(in), MMSYSERR_NOERROR);
    ASSERT_EQ(waveInClose(in), MMSYSERR_NOERROR);

    std::vector<int16_t> capture;
    for (size_t i = 0; i < kInBuffers; ++i) {
        const auto* samples = reinterpret_cast<const int16_t*>(inData[i].data());
        capture.insert(capture.end(), samples, samples + inHeaders[i].dwBytesRecorded / 2);
    }
    // Align on the first loud sample, then look a little around it.
    auto loud = [](int16_t s) { return std::abs(s) > 1000; };
    auto first = std::find_if(capture.begin(), capture.end(), loud);
    ASSERT_NE(first, capture.end()) << "nothing came back from the monitor";
    size_t start = static_cast<size_t>(first - capture.begin());
    size_t playedFirst = static_cast<size_t>(std::find_if(played.begin(), played.end(), loud) - played.begin());
    double best = 0;
    for (long shift = -64; shift <= 64; ++shift) {
        long offset = static_cast<long>(start) - static_cast<long>(playedFirst) + shift;
        if (offset < 0 || static_cast<size_t>(offset) + played.size() > capture.size()) continue;
        best = std::max(best, correlation(played, capture, static_cast<size_t>(offset)));
    }
    EXPECT_GT(best, 0.99);
}

TEST(PulseMixer, TheMasterVolumeOfTheSinkIsReadAndSetAndItsChangesReachTheWindow) {
    REQUIRE_TEST_SERVER(sink, monitor);
    wdtest::TestHost host;
    HWND window = host.addChild(host.frame(), 0, 0, 10, 10);
    HMIXER mixer = nullptr;
    ASSERT_EQ(mixerOpen(&mixer, static_cast<UINT>(sink), reinterpret_cast<DWORD_PTR>(window), 0, CALLBACK_WINDOW),
              MMSYSERR_NOERROR);
    auto* object = reinterpret_cast<HMIXEROBJ>(mixer);
    MIXERLINEA line{};
    line.cbStruct = sizeof line;
    line.dwComponentType = MIXERLINE_COMPONENTTYPE_DST_SPEAKERS;
    ASSERT_EQ(mixerGetLineInfoA(object, &line, MIXER_OBJECTF_HMIXER | MIXER_GETLINEINFOF_COMPONENTTYPE),
              MMSYSERR_NOERROR);
    EXPECT_STREQ(line.Target.szPname, "CI_Null_Sink");
    MIXERCONTROLA control{};
    MIXERLINECONTROLSA controls{};
    controls.cbStruct = sizeof controls;
    controls.dwLineID = line.dwLineID;
    controls.dwControlType = MIXERCONTROL_CONTROLTYPE_VOLUME;
    controls.cControls = 1;
    controls.cbmxctrl = sizeof control;
    controls.pamxctrl = &control;
    ASSERT_EQ(mixerGetLineControlsA(object, &controls, MIXER_OBJECTF_HMIXER | MIXER_GETLINECONTROLSF_ONEBYTYPE),
              MMSYSERR_NOERROR);

    auto access = [&](MIXERCONTROLDETAILS_UNSIGNED* values, bool set) {
        MIXERCONTROLDETAILS details{};
        details.cbStruct = sizeof details;
        details.dwControlID = control.dwControlID;
        details.cChannels = 2;
        details.cbDetails = sizeof(MIXERCONTROLDETAILS_UNSIGNED);
        details.paDetails = values;
        return set ? mixerSetControlDetails(object, &details, MIXER_OBJECTF_HMIXER)
                   : mixerGetControlDetailsA(object, &details, MIXER_OBJECTF_HMIXER);
    };
    MIXERCONTROLDETAILS_UNSIGNED before[2] = {};
    ASSERT_EQ(access(before, false), MMSYSERR_NOERROR);
    host.pump();
    host.clearLog();

    // The server keeps volumes on a cubic scale of 65536 steps; near half volume one
    // step is about 2 of our units, so a value read back is within 2 of the one set.
    MIXERCONTROLDETAILS_UNSIGNED wanted[2] = {{32768}, {16384}};
    ASSERT_EQ(access(wanted, true), MMSYSERR_NOERROR);
    MIXERCONTROLDETAILS_UNSIGNED read[2] = {};
    ASSERT_EQ(access(read, false), MMSYSERR_NOERROR);
    EXPECT_NEAR(static_cast<double>(read[0].dwValue), 32768, 2);
    EXPECT_NEAR(static_cast<double>(read[1].dwValue), 16384, 2);
    EXPECT_TRUE(host.waitForMessage(window, MM_MIXM_CONTROL_CHANGE, 5000ms));
    auto changes = host.messages(window, MM_MIXM_CONTROL_CHANGE);
    ASSERT_FALSE(changes.empty());
    EXPECT_EQ(changes[0].wParam, reinterpret_cast<WPARAM>(mixer));
    EXPECT_EQ(static_cast<DWORD>(changes[0].lParam), control.dwControlID);

    ASSERT_EQ(access(before, true), MMSYSERR_NOERROR);
    ASSERT_EQ(mixerClose(mixer), MMSYSERR_NOERROR);
}

TEST(PulseMixer, ASourceWithoutPortsIsItsOwnRecordingLine) {
    REQUIRE_TEST_SERVER(sink, monitor);
    std::vector<wd::RecordLineInfo> lines;
    ASSERT_TRUE(pulseBackend()->recordLines(static_cast<unsigned>(monitor), lines));
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].name, "Monitor of CI_Null_Sink");
    int current = -1;
    ASSERT_TRUE(pulseBackend()->recordLine(static_cast<unsigned>(monitor), current));
    EXPECT_EQ(current, 0);
    EXPECT_TRUE(pulseBackend()->setRecordLine(static_cast<unsigned>(monitor), 0));
    EXPECT_FALSE(pulseBackend()->setRecordLine(static_cast<unsigned>(monitor), 1));
}

}  // namespace
