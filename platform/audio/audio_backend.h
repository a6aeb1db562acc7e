// The sound system behind the wave and mixer calls: one interface, one backend per file
// pair (null_audio_backend, pulse_audio_backend).
#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/audio/audio_input_stream.h"
#include "platform/audio/audio_output_stream.h"
#include "platform/audio/winmm.h"

namespace wd {

/** What a device list entry shows. */
struct AudioDeviceInfo {
    std::string name;
    /** 1 or 2: the channels of the device's master volume. */
    unsigned channels = 2;
};

/** Volume of a mixer line, 0 to 65535 per channel. */
struct ChannelVolume {
    unsigned channels = 2;
    DWORD value[2] = {0, 0};
};

/** The two volume lines of an output device. */
enum class OutputLine { Master, Wave };

/** A recording source of an input device. */
struct RecordLineInfo {
    std::string name;
    /** A MIXERLINE_COMPONENTTYPE_SRC_ value. */
    DWORD componentType = MIXERLINE_COMPONENTTYPE_SRC_ANALOG;
    bool hasVolume = true;
};

/** A mixer control whose value changed, by whatever means. */
struct MixerChange {
    enum class Control { MasterVolume, MasterMute, WaveVolume, WaveMute, RecordSelect, RecordLineVolume };
    Control control;
    /** Output device number for the first four, input device number for the others. */
    unsigned device = 0;
    /** RecordLineVolume: the line's index. */
    int line = 0;
    /** The device is the one WAVE_MAPPER stands for. */
    bool onDefaultDevice = false;
};

/**
 * Devices are numbered from 0 in the backend's list order; WAVE_MAPPER stands for the
 * default device. Every call may come from any thread. Calls that talk to a sound server
 * give up after a bounded time rather than wait for a server that went away.
 */
class AudioBackend {
public:
    virtual ~AudioBackend() = default;

    /** The backend of this process, chosen at first use: WAVEDECK_AUDIO=null or pulse
     * forces one; otherwise pulse when a server answers, else null. Never destroyed. */
    static AudioBackend& instance();

    /** "null" or "pulse". */
    virtual const char* name() const = 0;

    virtual unsigned outputCount() = 0;
    virtual unsigned inputCount() = 0;
    /** False for a number beyond the list. */
    virtual bool outputInfo(unsigned device, AudioDeviceInfo& info) = 0;
    virtual bool inputInfo(unsigned device, AudioDeviceInfo& info) = 0;
    /** The number WAVE_MAPPER stands for, or -1 when there is no device. */
    virtual int defaultOutput() = 0;
    virtual int defaultInput() = 0;

    /** A stream on the device (a number or WAVE_MAPPER) in the format (PCM, 8 or 16 bits,
     * 1 or 2 channels, checked by the caller); null when it cannot be opened. */
    virtual std::unique_ptr<AudioOutputStream> openOutput(UINT device, const WAVEFORMATEX& format) = 0;
    virtual std::unique_ptr<AudioInputStream> openInput(UINT device, const WAVEFORMATEX& format) = 0;

    // Mixer controls of device numbers (not WAVE_MAPPER). False when the device or the
    // line does not exist or the server does not answer. The wave line is this
    // process's own playback volume on that device.
    virtual bool outputVolume(unsigned device, OutputLine line, ChannelVolume& volume) = 0;
    virtual bool setOutputVolume(unsigned device, OutputLine line, const ChannelVolume& volume) = 0;
    virtual bool outputMute(unsigned device, OutputLine line, bool& mute) = 0;
    virtual bool setOutputMute(unsigned device, OutputLine line, bool mute) = 0;
    virtual bool recordLines(unsigned device, std::vector<RecordLineInfo>& lines) = 0;
    virtual bool recordLine(unsigned device, int& line) = 0;
    virtual bool setRecordLine(unsigned device, int line) = 0;
    /** One value for all channels of the line. */
    virtual bool recordLineVolume(unsigned device, int line, DWORD& value) = 0;
    virtual bool setRecordLineVolume(unsigned device, int line, DWORD value) = 0;

    /** Called for every control that changed, on the thread that noticed the change
     * (the caller's, or the backend's event thread). The listener must not call back
     * into the backend. */
    void setMixerListener(std::function<void(const MixerChange&)> listener);

protected:
    void notifyMixer(const MixerChange& change);

private:
    std::mutex listenerMutex_;
    std::function<void(const MixerChange&)> listener_;
};

}  // namespace wd
