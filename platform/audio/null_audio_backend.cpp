#include "platform/audio/null_audio_backend.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <numbers>

namespace wd {
namespace {

using Clock = std::chrono::steady_clock;

constexpr size_t kLoopbackLimitBytes = 8u << 20;
constexpr DWORD kFullVolume = 65535;

/** Bytes of 10 ms at the format's nominal rate, whole frames, at least one frame. */
size_t sliceBytes(const WAVEFORMATEX& format) {
    size_t align = std::max<size_t>(format.nBlockAlign, 1);
    size_t bytes = format.nAvgBytesPerSec / 100 / align * align;
    return std::max(bytes, align);
}

bool sameFormat(const WAVEFORMATEX& a, const WAVEFORMATEX& b) {
    return a.nChannels == b.nChannels && a.nSamplesPerSec == b.nSamplesPerSec && a.wBitsPerSample == b.wBitsPerSample;
}

void fillSilence(const WAVEFORMATEX& format, BYTE* data, size_t size) {
    std::memset(data, format.wBitsPerSample == 8 ? 0x80 : 0, size);
}

/**
 * The real-time clock of one stream: each slice of sound is due when the previous one
 * has had its playing time (divided by the speed factor). A stream that starved starts
 * again from now rather than catching up in a burst.
 */
class Pacer {
public:
    explicit Pacer(const WAVEFORMATEX& format) : bytesPerSecond_(std::max<DWORD>(format.nAvgBytesPerSec, 1)) {}

    /** Waits until a slice of size bytes is due. False when interrupted or failed. */
    bool pace(size_t size, double speed) {
        std::unique_lock lock(mutex_);
        if (interrupted_ || failed_) return false;
        if (!std::isfinite(speed)) return true;
        Clock::time_point now = Clock::now();
        if (due_ < now) due_ = now;
        auto length = std::chrono::duration_cast<Clock::duration>(
            std::chrono::duration<double>(static_cast<double>(size) / (bytesPerSecond_ * speed)));
        due_ += length;
        cv_.wait_until(lock, due_, [this] { return interrupted_ || failed_.load(); });
        if (interrupted_ || failed_) {
            due_ -= length;
            return false;
        }
        return true;
    }
    void interrupt() {
        std::lock_guard lock(mutex_);
        interrupted_ = true;
        cv_.notify_all();
    }
    void clearInterrupt() {
        std::lock_guard lock(mutex_);
        interrupted_ = false;
    }
    void fail() {
        std::lock_guard lock(mutex_);
        failed_ = true;
        cv_.notify_all();
    }
    bool failed() const { return failed_; }

private:
    double bytesPerSecond_;
    std::mutex mutex_;
    std::condition_variable cv_;
    Clock::time_point due_{};
    bool interrupted_ = false;
    std::atomic<bool> failed_{false};
};

}  // namespace

class NullAudioBackend::Output final : public AudioOutputStream {
public:
    Output(NullAudioBackend& backend, unsigned device, const WAVEFORMATEX& format)
        : backend_(backend), device_(device), format_(format), pacer_(format) {
        backend_.addStream(this, [this] { pacer_.fail(); });
    }
    ~Output() override { backend_.removeStream(this); }

    size_t write(const BYTE* data, size_t size) override {
        size_t slice = sliceBytes(format_);
        size_t taken = 0;
        while (taken < size) {
            size_t n = std::min(slice, size - taken);
            if (!pacer_.pace(n, backend_.speed())) break;
            backend_.played(device_, format_, data + taken, n);
            taken += n;
        }
        return taken;
    }
    // Nothing is held beyond what write() has paced out: all of it has been heard,
    // pausing holds nothing back and a reset has nothing to drop.
    size_t unheard() override { return 0; }
    bool drain() override { return !pacer_.failed(); }
    void setPaused(bool) override {}
    void discard() override {}
    void interrupt() override { pacer_.interrupt(); }
    void clearInterrupt() override { pacer_.clearInterrupt(); }
    bool failed() const override { return pacer_.failed(); }

private:
    NullAudioBackend& backend_;
    unsigned device_;
    WAVEFORMATEX format_;
    Pacer pacer_;
};

class NullAudioBackend::Input final : public AudioInputStream {
public:
    Input(NullAudioBackend& backend, unsigned device, const WAVEFORMATEX& format)
        : backend_(backend), device_(device), format_(format), pacer_(format) {
        backend_.addStream(this, [this] { pacer_.fail(); });
    }
    ~Input() override { backend_.removeStream(this); }

    bool start() override { return !backend_.startFails_.load(); }
    bool stop() override { return !backend_.stopFails_.load(); }
    size_t read(BYTE* data, size_t size) override {
        size_t slice = sliceBytes(format_);
        size_t got = 0;
        while (got < size) {
            size_t n = std::min(slice, size - got);
            if (!pacer_.pace(n, backend_.speed())) break;
            backend_.generate(device_, format_, data + got, n, phase_);
            got += n;
        }
        return got;
    }
    void interrupt() override { pacer_.interrupt(); }
    void clearInterrupt() override { pacer_.clearInterrupt(); }
    bool failed() const override { return pacer_.failed(); }

private:
    NullAudioBackend& backend_;
    unsigned device_;
    WAVEFORMATEX format_;
    Pacer pacer_;
    double phase_ = 0.0;
};

NullAudioBackend::NullAudioBackend() {
    if (const char* speed = std::getenv("WAVEDECK_AUDIO_SPEED"); speed && *speed) {
        if (std::strcmp(speed, "max") == 0) {
            speed_ = std::numeric_limits<double>::infinity();
        } else if (double factor = std::atof(speed); factor > 0) {
            speed_ = factor;
        }
    }
    // What the inputs deliver, for programs run under test: "tone[:HZ[:AMPLITUDE]]",
    // "loopback" or "silence".
    if (const char* input = std::getenv("WAVEDECK_NULL_INPUT"); input && *input) {
        double frequency = 440.0;
        double amplitude = 0.5;
        if (std::strncmp(input, "tone", 4) == 0) {
            std::sscanf(input + 4, ":%lf:%lf", &frequency, &amplitude);
            setInputSignal(InputSignal::Tone, frequency, amplitude);
        } else if (std::strcmp(input, "loopback") == 0) {
            setInputSignal(InputSignal::Loopback);
        }
    }
    setDevices(1, 1, 2);
}

NullAudioBackend::~NullAudioBackend() = default;

unsigned NullAudioBackend::outputCount() {
    std::lock_guard lock(mutex_);
    return static_cast<unsigned>(outputs_.size());
}

unsigned NullAudioBackend::inputCount() {
    std::lock_guard lock(mutex_);
    return static_cast<unsigned>(inputs_.size());
}

bool NullAudioBackend::outputInfo(unsigned device, AudioDeviceInfo& info) {
    std::lock_guard lock(mutex_);
    if (device >= outputs_.size()) return false;
    info.name = "Null Output " + std::to_string(device + 1);
    info.channels = outputChannels_;
    return true;
}

bool NullAudioBackend::inputInfo(unsigned device, AudioDeviceInfo& info) {
    std::lock_guard lock(mutex_);
    if (device >= inputs_.size()) return false;
    info.name = "Null Input " + std::to_string(device + 1);
    info.channels = 2;
    return true;
}

int NullAudioBackend::defaultOutput() { return outputCount() > 0 ? 0 : -1; }
int NullAudioBackend::defaultInput() { return inputCount() > 0 ? 0 : -1; }

UINT NullAudioBackend::resolve(UINT device, unsigned count) const {
    if (device == WAVE_MAPPER) return count > 0 ? 0 : WAVE_MAPPER;
    return device < count ? device : WAVE_MAPPER;
}

std::unique_ptr<AudioOutputStream> NullAudioBackend::openOutput(UINT device, const WAVEFORMATEX& format) {
    UINT index;
    {
        std::lock_guard lock(mutex_);
        if (openFails_) return nullptr;
        index = resolve(device, static_cast<unsigned>(outputs_.size()));
    }
    if (index == WAVE_MAPPER) return nullptr;
    return std::make_unique<Output>(*this, index, format);
}

std::unique_ptr<AudioInputStream> NullAudioBackend::openInput(UINT device, const WAVEFORMATEX& format) {
    UINT index;
    {
        std::lock_guard lock(mutex_);
        if (openFails_) return nullptr;
        index = resolve(device, static_cast<unsigned>(inputs_.size()));
    }
    if (index == WAVE_MAPPER) return nullptr;
    return std::make_unique<Input>(*this, index, format);
}

bool NullAudioBackend::outputVolume(unsigned device, OutputLine line, ChannelVolume& volume) {
    std::lock_guard lock(mutex_);
    if (device >= outputs_.size()) return false;
    volume = line == OutputLine::Master ? outputs_[device].master : outputs_[device].wave;
    return true;
}

bool NullAudioBackend::setOutputVolume(unsigned device, OutputLine line, const ChannelVolume& volume) {
    bool changed = false;
    {
        std::lock_guard lock(mutex_);
        if (device >= outputs_.size()) return false;
        ChannelVolume& stored = line == OutputLine::Master ? outputs_[device].master : outputs_[device].wave;
        for (unsigned c = 0; c < stored.channels; ++c) {
            DWORD value = std::min(volume.value[c < volume.channels ? c : 0], kFullVolume);
            changed = changed || stored.value[c] != value;
            stored.value[c] = value;
        }
    }
    if (changed) {
        notifyMixer({line == OutputLine::Master ? MixerChange::Control::MasterVolume : MixerChange::Control::WaveVolume,
                     device, 0, device == 0});
    }
    return true;
}

bool NullAudioBackend::outputMute(unsigned device, OutputLine line, bool& mute) {
    std::lock_guard lock(mutex_);
    if (device >= outputs_.size()) return false;
    mute = line == OutputLine::Master ? outputs_[device].masterMute : outputs_[device].waveMute;
    return true;
}

bool NullAudioBackend::setOutputMute(unsigned device, OutputLine line, bool mute) {
    bool changed;
    {
        std::lock_guard lock(mutex_);
        if (device >= outputs_.size()) return false;
        bool& stored = line == OutputLine::Master ? outputs_[device].masterMute : outputs_[device].waveMute;
        changed = stored != mute;
        stored = mute;
    }
    if (changed) {
        notifyMixer({line == OutputLine::Master ? MixerChange::Control::MasterMute : MixerChange::Control::WaveMute,
                     device, 0, device == 0});
    }
    return true;
}

bool NullAudioBackend::recordLines(unsigned device, std::vector<RecordLineInfo>& lines) {
    std::lock_guard lock(mutex_);
    if (device >= inputs_.size()) return false;
    lines = {{"Microphone", MIXERLINE_COMPONENTTYPE_SRC_MICROPHONE, true},
             {"Line In", MIXERLINE_COMPONENTTYPE_SRC_LINE, true},
             {"CD Audio", MIXERLINE_COMPONENTTYPE_SRC_COMPACTDISC, true}};
    return true;
}

bool NullAudioBackend::recordLine(unsigned device, int& line) {
    std::lock_guard lock(mutex_);
    if (device >= inputs_.size()) return false;
    line = inputs_[device].line;
    return true;
}

bool NullAudioBackend::setRecordLine(unsigned device, int line) {
    bool changed;
    {
        std::lock_guard lock(mutex_);
        if (device >= inputs_.size() || line < 0 || line >= 3) return false;
        changed = inputs_[device].line != line;
        inputs_[device].line = line;
    }
    if (changed) notifyMixer({MixerChange::Control::RecordSelect, device, 0, device == 0});
    return true;
}

bool NullAudioBackend::recordLineVolume(unsigned device, int line, DWORD& value) {
    std::lock_guard lock(mutex_);
    if (device >= inputs_.size() || line < 0 || line >= 3) return false;
    value = inputs_[device].lineVolume[line];
    return true;
}

bool NullAudioBackend::setRecordLineVolume(unsigned device, int line, DWORD value) {
    bool changed;
    {
        std::lock_guard lock(mutex_);
        if (device >= inputs_.size() || line < 0 || line >= 3) return false;
        value = std::min(value, kFullVolume);
        changed = inputs_[device].lineVolume[line] != value;
        inputs_[device].lineVolume[line] = value;
    }
    if (changed) notifyMixer({MixerChange::Control::RecordLineVolume, device, line, device == 0});
    return true;
}

void NullAudioBackend::setSpeed(double factor) {
    if (factor > 0) speed_ = factor;
}

void NullAudioBackend::setDevices(unsigned outputs, unsigned inputs, unsigned outputChannels) {
    std::lock_guard lock(mutex_);
    outputChannels_ = outputChannels == 1 ? 1 : 2;
    OutputState output;
    output.master.channels = outputChannels_;
    output.master.value[0] = output.master.value[1] = kFullVolume;
    output.wave.channels = 2;
    output.wave.value[0] = output.wave.value[1] = kFullVolume;
    outputs_.assign(outputs, output);
    inputs_.assign(inputs, InputState{});
}

void NullAudioBackend::setInputSignal(InputSignal signal, double frequencyHz, double amplitude) {
    std::lock_guard lock(mutex_);
    signal_ = signal;
    frequency_ = frequencyHz;
    amplitude_ = std::clamp(amplitude, 0.0, 1.0);
}

void NullAudioBackend::setCapture(unsigned device, bool on) {
    std::lock_guard lock(mutex_);
    if (device >= outputs_.size()) return;
    outputs_[device].capturing = on;
    if (on) outputs_[device].capture.clear();
}

std::vector<BYTE> NullAudioBackend::captured(unsigned device) {
    std::lock_guard lock(mutex_);
    return device < outputs_.size() ? outputs_[device].capture : std::vector<BYTE>{};
}

void NullAudioBackend::setOpenFails(bool fail) {
    std::lock_guard lock(mutex_);
    openFails_ = fail;
}

void NullAudioBackend::failOpenStreams() {
    std::lock_guard lock(mutex_);
    for (auto& [key, fail] : streams_) fail();
}

void NullAudioBackend::addStream(void* key, std::function<void()> fail) {
    std::lock_guard lock(mutex_);
    streams_[key] = std::move(fail);
}

void NullAudioBackend::removeStream(void* key) {
    std::lock_guard lock(mutex_);
    streams_.erase(key);
}

void NullAudioBackend::played(unsigned device, const WAVEFORMATEX& format, const BYTE* data, size_t size) {
    std::lock_guard lock(mutex_);
    if (device >= outputs_.size()) return;
    OutputState& out = outputs_[device];
    if (out.capturing) out.capture.insert(out.capture.end(), data, data + size);
    if (!sameFormat(out.loopFormat, format)) {
        out.loop.clear();
        out.loopFormat = format;
    }
    out.loop.insert(out.loop.end(), data, data + size);
    if (out.loop.size() > kLoopbackLimitBytes) {
        size_t excess = out.loop.size() - kLoopbackLimitBytes;
        excess -= excess % std::max<size_t>(format.nBlockAlign, 1);
        out.loop.erase(out.loop.begin(), out.loop.begin() + static_cast<std::ptrdiff_t>(excess));
    }
}

void NullAudioBackend::generate(unsigned device, const WAVEFORMATEX& format, BYTE* data, size_t size,
                                double& phase) {
    std::lock_guard lock(mutex_);
    fillSilence(format, data, size);
    if (signal_ == InputSignal::Loopback) {
        // What the output of the same number played, when it played this very format;
        // silence where it played nothing (yet).
        if (device >= outputs_.size()) return;
        OutputState& out = outputs_[device];
        if (!sameFormat(out.loopFormat, format)) return;
        size_t n = std::min(size, out.loop.size());
        std::copy_n(out.loop.begin(), n, data);
        out.loop.erase(out.loop.begin(), out.loop.begin() + static_cast<std::ptrdiff_t>(n));
        return;
    }
    if (signal_ != InputSignal::Tone) return;
    size_t frameBytes = std::max<size_t>(format.nBlockAlign, 1);
    double step = frequency_ / std::max<DWORD>(format.nSamplesPerSec, 1);
    for (size_t at = 0; at + frameBytes <= size; at += frameBytes) {
        double x = amplitude_ * std::sin(2.0 * std::numbers::pi * phase);
        for (unsigned c = 0; c < format.nChannels; ++c) {
            if (format.wBitsPerSample == 8) {
                data[at + c] = static_cast<BYTE>(128 + std::lround(x * 127.0));
            } else {
                auto s = static_cast<int16_t>(std::lround(x * 32767.0));
                std::memcpy(data + at + 2 * c, &s, 2);
            }
        }
        phase += step;
        phase -= std::floor(phase);
    }
}

}  // namespace wd
