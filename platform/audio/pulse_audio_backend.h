// The audio backend over a PulseAudio (or PipeWire) server, through libpulse's threaded
// main loop.
#pragma once

#include <pulse/pulseaudio.h>

#include <chrono>
#include <map>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "platform/audio/audio_backend.h"

namespace wd {

/**
 * Sinks are the output devices and sources (monitors included) the input devices, in the
 * server's order, named by their descriptions. Master volume and mute are the sink's;
 * the wave line is this process's own stream volume and mute on that sink; the ports of
 * a source (or the source itself when it has none) are its recording lines, which share
 * the source's volume. Server change events are compared with the values seen before,
 * and every control that changed is reported from a watcher thread of the backend.
 *
 * Every wait for the server is bounded: a server that stops answering makes calls fail
 * after at most kServerTimeout, and a server that goes away fails the open streams.
 * Without a server the backend offers no devices and tries to connect again at most
 * once per kReconnectInterval.
 */
class PulseAudioBackend final : public AudioBackend {
public:
    static constexpr std::chrono::milliseconds kServerTimeout{2000};
    static constexpr std::chrono::milliseconds kReconnectInterval{2000};

    PulseAudioBackend();
    ~PulseAudioBackend() override;

    /** True when a server answered (after a reconnection attempt if needed). */
    bool connected();

    const char* name() const override { return "pulse"; }
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

private:
    class Output;
    class Input;
    class Lock;
    friend class Output;
    friend class Input;

    struct Port {
        std::string name;
        std::string description;
    };
    struct Device {
        uint32_t index = PA_INVALID_INDEX;
        std::string name;
        std::string description;
        pa_channel_map map{};
        pa_cvolume volume{};
        bool mute = false;
        std::vector<Port> ports;
        int activePort = 0;
    };
    /** The fields a sink and a source share (sources add their ports). */
    template <typename Info>
    static Device describe(const Info& info);
    /** This process's own volume and mute on one sink. */
    struct WaveSetting {
        ChannelVolume volume;
        bool mute = false;
    };
    /** What the watcher saw last of one device, to tell which control changed. */
    struct Seen {
        ChannelVolume volume;
        bool mute = false;
        int activePort = 0;
    };

    // Everything below runs with the main loop locked, on a thread other than the main
    // loop's own.
    bool ensureConnected();
    bool connect();
    void disconnect();
    bool refresh();
    bool await(pa_operation* operation);
    /** Awaits an operation that changes the server's values; the lists are then stale. */
    bool change(pa_operation* operation);
    bool waitFor(const std::function<bool()>& done, std::chrono::milliseconds limit);
    const Device* sink(unsigned device) const;
    const Device* source(unsigned device) const;
    std::string sinkNameOf(UINT device);
    std::string sourceNameOf(UINT device);
    WaveSetting& waveOf(const std::string& sinkName);
    void applyWave(const std::string& sinkName);
    void watch();
    std::vector<MixerChange> compareWithSeen();

    static void onContextState(pa_context* context, void* self);
    static void onEvent(pa_context* context, pa_subscription_event_type_t type, uint32_t index, void* self);

    pa_threaded_mainloop* loop_ = nullptr;
    pa_context* context_ = nullptr;
    std::chrono::steady_clock::time_point lastAttempt_{};
    /** The lists are current when cleanCount_ == dirtyCount_; every event or change of
     * ours counts up dirtyCount_, and a refresh makes the lists current as of the count
     * it started at, so a change during a refresh is never lost. */
    uint64_t dirtyCount_ = 1;
    uint64_t cleanCount_ = 0;
    bool eventPending_ = false;
    bool stopping_ = false;
    std::vector<Device> sinks_;
    std::vector<Device> sources_;
    std::string defaultSink_;
    std::string defaultSource_;
    std::map<std::string, WaveSetting> wave_;
    std::set<Output*> outputs_;
    std::map<std::string, Seen> seenSinks_;
    std::map<std::string, Seen> seenSources_;
    std::thread watcher_;
};

}  // namespace wd
