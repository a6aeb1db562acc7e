#include "pulse_fixture.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <random>

#include "platform/audio/audio_backend.h"

namespace pulsetest {

wd::PulseAudioBackend* pulseBackend() {
    static wd::PulseAudioBackend* backend = [] {
        setenv("WAVEDECK_AUDIO", "pulse", 1);
        return dynamic_cast<wd::PulseAudioBackend*>(&wd::AudioBackend::instance());
    }();
    return backend && backend->connected() ? backend : nullptr;
}

int deviceNamed(bool output, const std::string& name) {
    const UINT count = output ? waveOutGetNumDevs() : waveInGetNumDevs();
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

WAVEFORMATEX cdFormat() { return WAVEFORMATEX{WAVE_FORMAT_PCM, 2, 44100, 44100 * 4, 4, 16, 0}; }

std::vector<int16_t> fillWithNoise(wd::Track& track, int frames, unsigned seed) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<float> noise(-0.5f, 0.5f);
    std::vector<float> channels[2] = {std::vector<float>(static_cast<size_t>(frames)),
                                      std::vector<float>(static_cast<size_t>(frames))};
    std::vector<int16_t> sent;
    for (size_t i = 0; i < channels[0].size(); ++i) {
        for (std::vector<float>& channel : channels) {
            channel[i] = noise(random);
            sent.push_back(static_cast<int16_t>(static_cast<double>(channel[i]) * 32767.5));
        }
    }
    track.setChannelCount(2);
    track.sampleRate = 44100;
    for (int c = 0; c < 2; ++c) {
        EXPECT_EQ(track.channel(c)->sequence().appendSamples(channels[c].data(), frames), frames);
        EXPECT_GE(track.channel(c)->sequence().flushAppend(), 0);
    }
    return sent;
}

MonitorRecording::MonitorRecording(int device, double seconds) {
    WAVEFORMATEX format = cdFormat();
    EXPECT_EQ(waveInOpen(&handle_, static_cast<UINT>(device), &format, reinterpret_cast<DWORD_PTR>(&callback),
                         reinterpret_cast<DWORD_PTR>(this), CALLBACK_FUNCTION),
              MMSYSERR_NOERROR);
    const size_t buffers = static_cast<size_t>(std::ceil(seconds * 4));
    for (size_t i = 0; i < buffers && handle_; ++i) {
        data_.emplace_back(44100);
        WAVEHDR& header = headers_.emplace_back();
        header = {};
        header.lpData = reinterpret_cast<LPSTR>(data_.back().data());
        header.dwBufferLength = 44100;
        EXPECT_EQ(waveInPrepareHeader(handle_, &header, sizeof header), MMSYSERR_NOERROR);
        EXPECT_EQ(waveInAddBuffer(handle_, &header, sizeof header), MMSYSERR_NOERROR);
    }
}

MonitorRecording::~MonitorRecording() {
    if (!handle_) return;
    waveInReset(handle_);
    waveInClose(handle_);
}

void CALLBACK MonitorRecording::callback(void*, UINT message, DWORD_PTR instance, DWORD_PTR, DWORD_PTR) {
    if (message != WIM_DATA) return;
    auto* self = reinterpret_cast<MonitorRecording*>(instance);
    std::lock_guard lock(self->mutex_);
    ++self->returned_;
    self->cv_.notify_all();
}

bool MonitorRecording::waitFor(size_t buffers) {
    std::unique_lock lock(mutex_);
    return cv_.wait_for(lock, 20000ms, [&] { return returned_ >= buffers; });
}

bool MonitorRecording::start() { return handle_ && waveInStart(handle_) == MMSYSERR_NOERROR && waitFor(1); }

std::vector<int16_t> MonitorRecording::stop() {
    EXPECT_TRUE(waitFor(headers_.size())) << "the monitor did not deliver every buffer";
    EXPECT_EQ(waveInReset(handle_), MMSYSERR_NOERROR);
    EXPECT_EQ(waveInClose(handle_), MMSYSERR_NOERROR);
    handle_ = nullptr;
    std::vector<int16_t> capture;
    for (size_t i = 0; i < headers_.size(); ++i) {
        const auto* samples = reinterpret_cast<const int16_t*>(data_[i].data());
        capture.insert(capture.end(), samples, samples + headers_[i].dwBytesRecorded / 2);
    }
    return capture;
}

namespace {

/** Pearson correlation of a with b[offset ...] over a's length (0 when b is too short). */
double correlation(const std::vector<int16_t>& a, const std::vector<int16_t>& b, size_t offset) {
    if (offset + a.size() > b.size()) return 0.0;
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

/** The samples of frames [first, last) of an interleaved stereo signal. */
std::vector<int16_t> frames(const std::vector<int16_t>& signal, size_t first, size_t last) {
    return std::vector<int16_t>(signal.begin() + static_cast<long>(std::min(signal.size(), first * 2)),
                                signal.begin() + static_cast<long>(std::min(signal.size(), last * 2)));
}

/** Where `played` begins in the capture, to the frame: the offset, near the first sound
 * that came back, at which a piece from a quarter into `played` correlates best; npos
 * when nothing came back. Before the signal the monitor returns the keepalive's exact
 * silence. */
size_t findPlayed(const std::vector<int16_t>& played, const std::vector<int16_t>& capture) {
    const auto first = std::find_if(capture.begin(), capture.end(), [](int16_t s) { return s != 0; });
    if (first == capture.end() || played.size() < 8) return std::string::npos;
    const size_t at = played.size() / 4 / 2 * 2;
    const std::vector<int16_t> probe(played.begin() + static_cast<long>(at),
                                     played.begin() + static_cast<long>(std::min(played.size(), at + 2048)));
    const long expected = (first - capture.begin()) / 2 * 2;
    size_t best = std::string::npos;
    double bestCorrelation = -1;
    for (long shift = -1024; shift <= 8820; shift += 2) {
        const long offset = expected + shift;
        if (offset < 0) continue;
        const double c = correlation(probe, capture, static_cast<size_t>(offset) + at);
        if (c > bestCorrelation) {
            bestCorrelation = c;
            best = static_cast<size_t>(offset);
        }
    }
    return best;
}

}  // namespace

void expectPlayedWhole(const std::vector<int16_t>& played, const std::vector<int16_t>& capture) {
    const size_t offset = findPlayed(played, capture);
    ASSERT_NE(offset, std::string::npos) << "nothing but silence came back";
    constexpr size_t kSkipped = 441;  // 10 ms
    const size_t length = played.size() / 2;
    EXPECT_GT(correlation(frames(played, kSkipped, length), capture, offset + 2 * kSkipped), 0.99)
        << "aligned at capture sample " << offset;
    constexpr size_t kTail = 2205;  // 50 ms
    EXPECT_GT(correlation(frames(played, length - kTail, length), capture, offset + 2 * (length - kTail)), 0.99)
        << "the last 50 ms are missing";
}

}  // namespace pulsetest
