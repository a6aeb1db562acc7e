// Against a real PulseAudio server (scripts/pulse-test-server.sh starts one with the null
// sink "ci_sink"): a track played by the player comes back from the sink's monitor
// intact. Skips, saying why, when no such server answers.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <mutex>
#include <random>

#include "services/settings.h"
#include "audio/player.h"
#include "audio/wave_devices.h"
#include "model/track.h"
#include "platform/audio/audio_backend.h"
#include "platform/audio/pulse_audio_backend.h"
#include "platform/audio/winmm.h"
#include "support/temp_dir.h"
#include "support/test_host.h"
#include "wavedeck_messages.h"

namespace {

using namespace std::chrono_literals;

/** The process's backend, made to be pulse (CTest asks for null by default). */
wd::PulseAudioBackend* connectedPulse() {
    static wd::PulseAudioBackend* backend = [] {
        setenv("WAVEDECK_AUDIO", "pulse", 1);
        return dynamic_cast<wd::PulseAudioBackend*>(&wd::AudioBackend::instance());
    }();
    return backend && backend->connected() ? backend : nullptr;
}

int outputNamed(const std::string& name) {
    for (UINT i = 0; i < waveOutGetNumDevs(); ++i) {
        WAVEOUTCAPSA caps{};
        if (waveOutGetDevCapsA(i, &caps, sizeof caps) == MMSYSERR_NOERROR && name == caps.szPname) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

int inputNamed(const std::string& name) {
    for (UINT i = 0; i < waveInGetNumDevs(); ++i) {
        WAVEINCAPSA caps{};
        if (waveInGetDevCapsA(i, &caps, sizeof caps) == MMSYSERR_NOERROR && name == caps.szPname) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

/** Collects the recorded buffers as they come back. */
struct Recorded {
    std::mutex mutex;
    std::condition_variable cv;
    size_t buffers = 0;

    static void CALLBACK callback(void*, UINT message, DWORD_PTR instance, DWORD_PTR, DWORD_PTR) {
        if (message != WIM_DATA) return;
        auto* self = reinterpret_cast<Recorded*>(instance);
        std::lock_guard lock(self->mutex);
        ++self->buffers;
        self->cv.notify_all();
    }
};

/** Pearson correlation of a with b[offset ...]. */
double correlation(const std::vector<int16_t>& a, const std::vector<int16_t>& b, size_t offset) {
    double sa = 0, sb = 0, saa = 0, sbb = 0, sab = 0;
    const double n = static_cast<double>(a.size());
    for (size_t i = 0; i < a.size(); ++i) {
        const double x = a[i], y = b[offset + i];
        sa += x;
        sb += y;
        saa += x * x;
        sbb += y * y;
        sab += x * y;
    }
    const double cov = sab - sa * sb / n, va = saa - sa * sa / n, vb = sbb - sb * sb / n;
    return va > 0 && vb > 0 ? cov / std::sqrt(va * vb) : 0.0;
}

TEST(PulsePlayer, ATrackPlayedThroughTheNullSinkComesBackFromItsMonitorIntact) {
    if (!connectedPulse()) GTEST_SKIP() << "no PulseAudio server answers (scripts/pulse-test-server.sh starts one)";
    const int sink = outputNamed("CI_Null_Sink");
    const int monitor = inputNamed("Monitor of CI_Null_Sink");
    if (sink < 0 || monitor < 0) GTEST_SKIP() << "the server has no null sink \"CI_Null_Sink\" with its monitor";

    wdtest::TempDir temp;
    const std::string previousTemp = wd::Settings::instance().tempFolder();
    wd::Settings::instance().setTempFolder(temp.path().c_str());
    wd::WaveDevices::instance().setWaveOut(sink);

    // One second of noise per channel at half scale (seed logged), different per channel.
    const unsigned seed = 20240612;
    SCOPED_TRACE("noise seed " + std::to_string(seed));
    std::mt19937 random(seed);
    std::uniform_real_distribution<float> noise(-0.5f, 0.5f);
    const int frames = 44100;
    std::vector<float> left(frames), right(frames);
    for (int i = 0; i < frames; ++i) {
        left[static_cast<size_t>(i)] = noise(random);
        right[static_cast<size_t>(i)] = noise(random);
    }
    wd::Track track;
    track.setChannelCount(2);
    track.sampleRate = 44100;
    for (int c = 0; c < 2; ++c) {
        wd::Sequence& sequence = track.channel(c)->sequence();
        ASSERT_EQ(sequence.appendSamples((c ? right : left).data(), frames), frames);
        ASSERT_GE(sequence.flushAppend(), 0);
    }
    // What the player sends: x * 32767.5 truncated toward zero, interleaved.
    std::vector<int16_t> sent(static_cast<size_t>(frames) * 2);
    for (size_t i = 0; i < static_cast<size_t>(frames); ++i) {
        sent[2 * i] = static_cast<int16_t>(static_cast<double>(left[i]) * 32767.5);
        sent[2 * i + 1] = static_cast<int16_t>(static_cast<double>(right[i]) * 32767.5);
    }

    // Record three seconds from the monitor in quarter seconds.
    WAVEFORMATEX format{WAVE_FORMAT_PCM, 2, 44100, 44100 * 4, 4, 16, 0};
    HWAVEIN in = nullptr;
    Recorded recorded;
    ASSERT_EQ(waveInOpen(&in, static_cast<UINT>(monitor), &format, reinterpret_cast<DWORD_PTR>(&Recorded::callback),
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
    {
        // Play only once the capture runs, so that it holds the whole track.
        std::unique_lock lock(recorded.mutex);
        ASSERT_TRUE(recorded.cv.wait_for(lock, 20000ms, [&] { return recorded.buffers >= 1; }));
    }

    // Play it, standing in for the main window, which stops the player at the range end.
    wdtest::TestHost host;
    HWND mainWindow = host.addChild(host.frame(), 0, 0, 10, 10, 0,
                                    [](HWND, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
                                        if (message != MsgPlayRangeEnd) return std::nullopt;
                                        wd::Player::instance().stop();
                                        return 0;
                                    });
    wd::Player& player = wd::Player::instance();
    player.addWindow(mainWindow);
    ASSERT_TRUE(player.play(track, wd::Player::kPlayToEnd, false));
    EXPECT_TRUE(host.waitForMessage(mainWindow, MsgPlayStopped, 20000ms)) << "the play did not end";
    player.stop();
    {
        std::unique_lock lock(recorded.mutex);
        EXPECT_TRUE(recorded.cv.wait_for(lock, 20000ms, [&] { return recorded.buffers >= kInBuffers; }));
    }
    ASSERT_EQ(waveInReset(in), MMSYSERR_NOERROR);
    ASSERT_EQ(waveInClose(in), MMSYSERR_NOERROR);
    wd::Settings::instance().setTempFolder(previousTemp.c_str());

    std::vector<int16_t> capture;
    for (size_t i = 0; i < kInBuffers; ++i) {
        const auto* samples = reinterpret_cast<const int16_t*>(inData[i].data());
        capture.insert(capture.end(), samples, samples + inHeaders[i].dwBytesRecorded / 2);
    }
    // Align for the latency: the frame offset where the first 4096 samples sent match best.
    ASSERT_GT(capture.size(), sent.size());
    const std::vector<int16_t> head(sent.begin(), sent.begin() + 4096);
    size_t offset = 0;
    double headBest = -1;
    for (size_t o = 0; o + sent.size() <= capture.size(); o += 2) {
        double dot = 0;
        for (size_t i = 0; i < head.size(); ++i) dot += static_cast<double>(head[i]) * capture[o + i];
        if (dot > headBest) {
            headBest = dot;
            offset = o;
        }
    }
    EXPECT_GT(correlation(sent, capture, offset), 0.99) << "aligned at capture sample " << offset;
}

}  // namespace
