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
 * Sinks are the output devices and sources (monitors included) the input devices, named
 * by their descriptions: the server's default first, then the others in the server's
 * order, the monitors of sinks last. Master volume and mute are the sink's;
 * the wave line is this process's own stream volume and mute on that sink; the ports of
 * a source (or the source itself when it has none) are its recording lines, which share
 * the source's volume. Server change events are compared with the values seen before,
 * and every control that changed is reported from a watcher thread of the backend.
 *
 * Every wait for the server is bounded by kServerTimeout. After one wait that runs out
 * the server counts as stalled: every call answers at once from the last known lists
 * and values, while changes and new streams fail, until the watcher thread, trying again
 * once per kReconnectInterval, hears it answer. A server that goes away fails the open
 * streams; without a server the backend offers no devices, and the watcher tries to
 * connect once per kReconnectInterval.
 */
class PulseAudioBackend final : public AudioBackend {
public:
    static constexpr std::chrono::milliseconds kServerTimeout{2000};
    static constexpr std::chrono::milliseconds kReconnectInterval{2000};

    PulseAudioBackend();
    ~PulseAudioBackend() override;

    /** True while connected to a server (which may be stalled). */
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
        /** A sink's monitor source. */
        bool monitor = false;
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
    bool ready() const;
    bool connect();
    void disconnect();
    /** Makes the lists current when they are stale and the server answers. False when
     * not connected; true (the last known lists) while the server is stalled. */
    bool refresh();
    /** Reads the lists from the server; false when it did not answer in time. */
    bool reload();
    /** Waits for the operation at most kServerTimeout; running out stalls the server. */
    bool await(pa_operation* operation);
    /** Sends the request made by `request` (unless the server is stalled) and awaits
     * it; the lists are then stale. */
    bool change(const std::function<pa_operation*()>& request);
    void stall();
    /** Waits until the time or until the backend stops; false when it stops. */
    bool pause(std::chrono::steady_clock::time_point until);
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
    /** A wait for the server ran out and it has not answered since. */
    bool stalled_ = false;
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
