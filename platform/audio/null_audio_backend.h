// The audio backend that is always there: devices with real timing and no sound card.
#pragma once

#include <atomic>
#include <deque>
#include <map>
#include <mutex>
#include <set>
#include <vector>

#include "platform/audio/audio_backend.h"

namespace wd {

/**
 * Output devices consume buffers at the real-time rate of their format, or faster when a
 * test sets a speed factor; input devices deliver silence, a tone, or what the output
 * device of the same number played (loopback). The mixer keeps master and wave volume
 * and mute per output device and the recording lines "Microphone", "Line In" and
 * "CD Audio" per input device in memory, and reports every value that changes.
 *
 * The test controls below may be called from any thread. The environment variable
 * WAVEDECK_AUDIO_SPEED sets the initial speed factor (a positive number or "max"), and
 * WAVEDECK_NULL_INPUT what the inputs deliver: "tone[:HZ[:AMPLITUDE]]" (440 Hz at 0.5 by
 * default), "loopback" or "silence" (the default).
 */
class NullAudioBackend final : public AudioBackend {
public:
    enum class InputSignal { Silence, Tone, Loopback };

    NullAudioBackend();
    ~NullAudioBackend() override;

    const char* name() const override { return "null"; }
    unsigned outputCount() override;
    unsigned inputCount() override;
    bool outputInfo(unsigned device, AudioDeviceInfo& info) override;
    bool inputInfo(unsigned device, AudioDeviceInfo& info) override;
    int defaultOutput() override;
    int defaultInput() override;
    std::unique_ptr<AudioOutputStream> openOutput(UINT device, const WAVEFORMATEX& format) override;
    std::unique_ptr<AudioInputStream> openInput(UINT device, const WAVEFORMATEX& format) override;
    bool outputVolume(unsigned device, OutputLine line, ChannelVolume& volume) override;
    bool setOutputVolume(unsigned device, OutputLine line, const ChannelVolume& volume) override;
    bool outputMute(unsigned device, OutputLine line, bool& mute) override;
    bool setOutputMute(unsigned device, OutputLine line, bool mute) override;
    bool recordLines(unsigned device, std::vector<RecordLineInfo>& lines) override;
    bool recordLine(unsigned device, int& line) override;
    bool setRecordLine(unsigned device, int line) override;
    bool recordLineVolume(unsigned device, int line, DWORD& value) override;
    bool setRecordLineVolume(unsigned device, int line, DWORD value) override;

    // ---- Test instrument ----

    /** Playback and capture run factor times faster than real time (1 is real time;
     * infinity runs as fast as the caller feeds and takes). */
    void setSpeed(double factor);
    double speed() const { return speed_.load(); }
    /** Offers outputs devices "Null Output 1", ... and inputs devices "Null Input 1", ...,
     * the outputs' master line having outputChannels (1 or 2) channels; every mixer
     * value returns to its default (volumes 65535, not muted, line 0, line volumes
     * 32768). Streams already open keep running. */
    void setDevices(unsigned outputs, unsigned inputs, unsigned outputChannels = 2);
    /** What input devices deliver from now on. */
    void setInputSignal(InputSignal signal, double frequencyHz = 440.0, double amplitude = 0.5);
    /** Starts keeping (from empty) or stops keeping the bytes that output device
     * `device` plays, in the order played. */
    void setCapture(unsigned device, bool on);
    /** The bytes kept since setCapture(device, true). */
    std::vector<BYTE> captured(unsigned device);
    /** When true, opening any stream fails. */
    void setOpenFails(bool fail);
    /** Every open stream fails at once, as when a sound server goes away. */
    void failOpenStreams();
    /** When true, input streams refuse to start, or to stop (they go on capturing). */
    void setInputStartFails(bool fail) { startFails_.store(fail); }
    void setInputStopFails(bool fail) { stopFails_.store(fail); }

private:
    class Output;
    class Input;
    friend class Output;
    friend class Input;

    struct OutputState {
        ChannelVolume master;
        bool masterMute = false;
        ChannelVolume wave;
        bool waveMute = false;
        bool capturing = false;
        std::vector<BYTE> capture;
        WAVEFORMATEX loopFormat{};
        std::deque<BYTE> loop;
    };
    struct InputState {
        int line = 0;
        DWORD lineVolume[3] = {32768, 32768, 32768};
    };

    /** Output stream `device` played these bytes (format `format`). */
    void played(unsigned device, const WAVEFORMATEX& format, const BYTE* data, size_t size);
    /** Fills data with size bytes of the input signal for device `device`. phase: the
     * tone's phase in cycles, advanced. */
    void generate(unsigned device, const WAVEFORMATEX& format, BYTE* data, size_t size, double& phase);
    /** Registers an open stream under key with the function that makes it fail. */
    void addStream(void* key, std::function<void()> fail);
    void removeStream(void* key);
    UINT resolve(UINT device, unsigned count) const;

    std::mutex mutex_;
    std::atomic<double> speed_{1.0};
    unsigned outputChannels_ = 2;
    std::vector<OutputState> outputs_;
    std::vector<InputState> inputs_;
    InputSignal signal_ = InputSignal::Silence;
    double frequency_ = 440.0;
    double amplitude_ = 0.5;
    bool openFails_ = false;
    std::atomic<bool> startFails_{false};
    std::atomic<bool> stopFails_{false};
    std::map<void*, std::function<void()>> streams_;
};

}  // namespace wd
