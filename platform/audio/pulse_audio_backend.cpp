#include "platform/audio/pulse_audio_backend.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>

namespace wd {
namespace {

using Clock = std::chrono::steady_clock;

constexpr DWORD kFullVolume = 65535;
/** Sound the server holds ahead of playback; a finished header is at most this far
 * ahead of what is heard. */
constexpr int kPlaybackLatencyMs = 80;
constexpr int kCaptureFragmentMs = 20;

void signalLoop(pa_threaded_mainloop* loop) { pa_threaded_mainloop_signal(loop, 0); }

void onSuccess(pa_context*, int, void* loop) { signalLoop(static_cast<pa_threaded_mainloop*>(loop)); }

DWORD toLinear(pa_volume_t volume) {
    double linear = pa_sw_volume_to_linear(volume) * kFullVolume;
    return static_cast<DWORD>(std::clamp(std::lround(linear), 0L, static_cast<long>(kFullVolume)));
}

pa_volume_t fromLinear(DWORD value) {
    return pa_sw_volume_from_linear(static_cast<double>(std::min(value, kFullVolume)) / kFullVolume);
}

/** 0: a left channel, 1: a right one, 2: neither (centre, LFE, mono), which counts for both. */
int sideOf(pa_channel_position_t position) {
    switch (position) {
        case PA_CHANNEL_POSITION_FRONT_LEFT:
        case PA_CHANNEL_POSITION_REAR_LEFT:
        case PA_CHANNEL_POSITION_FRONT_LEFT_OF_CENTER:
        case PA_CHANNEL_POSITION_SIDE_LEFT:
        case PA_CHANNEL_POSITION_TOP_FRONT_LEFT:
        case PA_CHANNEL_POSITION_TOP_REAR_LEFT:
            return 0;
        case PA_CHANNEL_POSITION_FRONT_RIGHT:
        case PA_CHANNEL_POSITION_REAR_RIGHT:
        case PA_CHANNEL_POSITION_FRONT_RIGHT_OF_CENTER:
        case PA_CHANNEL_POSITION_SIDE_RIGHT:
        case PA_CHANNEL_POSITION_TOP_FRONT_RIGHT:
        case PA_CHANNEL_POSITION_TOP_REAR_RIGHT:
            return 1;
        default:
            return 2;
    }
}

/** A server volume as one value (mono) or left and right (the loudest channel of each
 * side). */
ChannelVolume toChannelVolume(const pa_cvolume& volume, const pa_channel_map& map) {
    ChannelVolume result;
    if (volume.channels <= 1) {
        result.channels = 1;
        result.value[0] = volume.channels == 1 ? toLinear(volume.values[0]) : 0;
        return result;
    }
    result.channels = 2;
    for (unsigned c = 0; c < volume.channels; ++c) {
        int side = c < map.channels ? sideOf(map.map[c]) : static_cast<int>(c % 2);
        DWORD value = toLinear(volume.values[c]);
        if (side != 1) result.value[0] = std::max(result.value[0], value);
        if (side != 0) result.value[1] = std::max(result.value[1], value);
    }
    return result;
}

pa_cvolume fromChannelVolume(const ChannelVolume& volume, const pa_channel_map& map, unsigned channels) {
    pa_cvolume result;
    pa_cvolume_init(&result);
    result.channels = static_cast<uint8_t>(channels);
    DWORD left = volume.value[0];
    DWORD right = volume.channels == 2 ? volume.value[1] : volume.value[0];
    for (unsigned c = 0; c < channels; ++c) {
        int side = channels == 1 ? 2 : (c < map.channels ? sideOf(map.map[c]) : static_cast<int>(c % 2));
        result.values[c] = fromLinear(side == 0 ? left : side == 1 ? right : std::max(left, right));
    }
    return result;
}

bool sameVolume(const ChannelVolume& a, const ChannelVolume& b) {
    return a.channels == b.channels && a.value[0] == b.value[0] && (a.channels == 1 || a.value[1] == b.value[1]);
}

pa_sample_spec specOf(const WAVEFORMATEX& format) {
    pa_sample_spec spec;
    spec.format = format.wBitsPerSample == 8 ? PA_SAMPLE_U8 : PA_SAMPLE_S16LE;
    spec.rate = format.nSamplesPerSec;
    spec.channels = static_cast<uint8_t>(format.nChannels);
    return spec;
}

uint32_t bytesOfMs(const WAVEFORMATEX& format, int ms) {
    uint32_t bytes = static_cast<uint32_t>(static_cast<uint64_t>(format.nAvgBytesPerSec) * ms / 1000);
    return std::max<uint32_t>(bytes - bytes % format.nBlockAlign, format.nBlockAlign);
}

DWORD componentOfPort(const std::string& name) {
    std::string lower = name;
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
    if (lower.find("mic") != std::string::npos) return MIXERLINE_COMPONENTTYPE_SRC_MICROPHONE;
    if (lower.find("line") != std::string::npos) return MIXERLINE_COMPONENTTYPE_SRC_LINE;
    return MIXERLINE_COMPONENTTYPE_SRC_ANALOG;
}

}  // namespace

/** Holds the main loop's lock (recursive) for a scope. */
class PulseAudioBackend::Lock {
public:
    explicit Lock(pa_threaded_mainloop* loop) : loop_(loop) { pa_threaded_mainloop_lock(loop_); }
    ~Lock() { pa_threaded_mainloop_unlock(loop_); }
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;

private:
    pa_threaded_mainloop* loop_;
};

/** A playback stream; all its state is guarded by the main loop's lock. */
class PulseAudioBackend::Output final : public AudioOutputStream {
public:
    Output(PulseAudioBackend& backend, std::string sinkName) : backend_(backend), sinkName_(std::move(sinkName)) {}

    ~Output() override {
        Lock lock(backend_.loop_);
        backend_.outputs_.erase(this);
        forgetDrain();
        if (stream_) {
            pa_stream_set_state_callback(stream_, nullptr, nullptr);
            pa_stream_set_write_callback(stream_, nullptr, nullptr);
            pa_stream_disconnect(stream_);
            pa_stream_unref(stream_);
        }
    }

    /** With the loop locked. False when the server refuses or does not answer. */
    bool open(const WAVEFORMATEX& format, const std::string& device, const WaveSetting& wave) {
        frame_ = format.nBlockAlign;
        pa_sample_spec spec = specOf(format);
        pa_channel_map map;
        pa_channel_map_init_auto(&map, spec.channels, PA_CHANNEL_MAP_DEFAULT);
        stream_ = pa_stream_new(backend_.context_, "WaveDeck playback", &spec, &map);
        if (!stream_) return false;
        pa_stream_set_state_callback(stream_, onState, this);
        pa_stream_set_write_callback(
            stream_, [](pa_stream*, size_t, void* self) { signalLoop(static_cast<Output*>(self)->backend_.loop_); },
            this);
        pa_buffer_attr attr;
        attr.maxlength = static_cast<uint32_t>(-1);
        attr.tlength = bytesOfMs(format, kPlaybackLatencyMs);
        attr.prebuf = static_cast<uint32_t>(-1);
        attr.minreq = static_cast<uint32_t>(-1);
        attr.fragsize = static_cast<uint32_t>(-1);
        pa_cvolume volume = fromChannelVolume(wave.volume, map, spec.channels);
        // Interpolated timing: how much of what was written is still to be heard.
        auto flags = static_cast<pa_stream_flags_t>(PA_STREAM_ADJUST_LATENCY | PA_STREAM_INTERPOLATE_TIMING |
                                                    PA_STREAM_AUTO_TIMING_UPDATE |
                                                    (wave.mute ? PA_STREAM_START_MUTED : 0));
        if (pa_stream_connect_playback(stream_, device.empty() ? nullptr : device.c_str(), &attr, flags, &volume,
                                       nullptr) < 0) {
            return false;
        }
        if (!backend_.waitFor([this] { return pa_stream_get_state(stream_) != PA_STREAM_CREATING; },
                              kServerTimeout)) {
            backend_.stall();
            return false;
        }
        return pa_stream_get_state(stream_) == PA_STREAM_READY;
    }

    size_t write(const BYTE* data, size_t size) override {
        Lock lock(backend_.loop_);
        size_t taken = 0;
        while (taken < size && !interrupted_ && !failed_) {
            size_t room = pa_stream_writable_size(stream_);
            if (room == static_cast<size_t>(-1)) {
                failed_ = true;
                break;
            }
            size_t n = std::min(room, size - taken) / frame_ * frame_;
            if (n == 0) {
                pa_threaded_mainloop_wait(backend_.loop_);
                continue;
            }
            if (pa_stream_write(stream_, data + taken, n, nullptr, 0, PA_SEEK_RELATIVE) < 0) {
                failed_ = true;
                break;
            }
            taken += n;
            written_ += n;
        }
        return taken;
    }

    size_t unheard() override {
        Lock lock(backend_.loop_);
        pa_usec_t latency = 0;
        int negative = 0;
        // Without timing information yet, nothing counts as heard.
        if (pa_stream_get_latency(stream_, &latency, &negative) < 0) return written_;
        if (negative) return 0;
        return std::min<size_t>(written_, pa_usec_to_bytes(latency, pa_stream_get_sample_spec(stream_)));
    }

    bool drain() override {
        Lock lock(backend_.loop_);
        // The latency stays at its last value once the stream runs dry, so only the
        // server's drain says that the end has been heard. A drain also starts a stream
        // that holds less than it waits for before it plays.
        if (!drain_ && !interrupted_ && !failed_) {
            drained_ = false;
            drain_ = pa_stream_drain(
                stream_,
                [](pa_stream*, int, void* self) {
                    auto* output = static_cast<Output*>(self);
                    output->drained_ = true;
                    signalLoop(output->backend_.loop_);
                },
                this);
            if (!drain_) failed_ = true;
        }
        while (!drained_ && !interrupted_ && !failed_) pa_threaded_mainloop_wait(backend_.loop_);
        if (!drained_) return false;
        forgetDrain();
        return true;
    }

    void setPaused(bool paused) override {
        Lock lock(backend_.loop_);
        if (pa_operation* op = pa_stream_cork(stream_, paused ? 1 : 0, nullptr, nullptr)) pa_operation_unref(op);
    }
    void discard() override {
        Lock lock(backend_.loop_);
        forgetDrain();
        if (pa_operation* op = pa_stream_flush(stream_, nullptr, nullptr)) pa_operation_unref(op);
    }
    void interrupt() override {
        Lock lock(backend_.loop_);
        interrupted_ = true;
        signalLoop(backend_.loop_);
    }
    void clearInterrupt() override {
        Lock lock(backend_.loop_);
        interrupted_ = false;
    }
    bool failed() const override { return failed_; }

    const std::string& sinkName() const { return sinkName_; }

    /** With the loop locked: gives the stream this volume and mute (not waited for). */
    void apply(const WaveSetting& wave) {
        // The stream's own context: after a reconnection an old stream's requests go to
        // its dead context and are refused there.
        pa_context* context = pa_stream_get_context(stream_);
        uint32_t index = pa_stream_get_index(stream_);
        if (index == PA_INVALID_INDEX || pa_context_get_state(context) != PA_CONTEXT_READY) return;
        const pa_sample_spec* spec = pa_stream_get_sample_spec(stream_);
        const pa_channel_map* map = pa_stream_get_channel_map(stream_);
        pa_cvolume volume = fromChannelVolume(wave.volume, *map, spec->channels);
        if (pa_operation* op = pa_context_set_sink_input_volume(context, index, &volume, nullptr, nullptr)) {
            pa_operation_unref(op);
        }
        if (pa_operation* op = pa_context_set_sink_input_mute(context, index, wave.mute, nullptr, nullptr)) {
            pa_operation_unref(op);
        }
    }

private:
    /** With the loop locked: a drain under way is no longer waited for. */
    void forgetDrain() {
        if (!drain_) return;
        pa_operation_cancel(drain_);
        pa_operation_unref(drain_);
        drain_ = nullptr;
    }

    static void onState(pa_stream* stream, void* self) {
        auto* output = static_cast<Output*>(self);
        pa_stream_state_t state = pa_stream_get_state(stream);
        if (state == PA_STREAM_FAILED || state == PA_STREAM_TERMINATED) output->failed_ = true;
        signalLoop(output->backend_.loop_);
    }

    PulseAudioBackend& backend_;
    std::string sinkName_;
    pa_stream* stream_ = nullptr;
    size_t frame_ = 1;
    /** Bytes handed to the server since the stream was opened. */
    size_t written_ = 0;
    /** The drain under way (kept over an interruption, so a pause does not restart it). */
    pa_operation* drain_ = nullptr;
    bool drained_ = false;
    bool interrupted_ = false;
    std::atomic<bool> failed_{false};
};

/** A capture stream, connected corked; all its state is guarded by the main loop's lock. */
class PulseAudioBackend::Input final : public AudioInputStream {
public:
    explicit Input(PulseAudioBackend& backend) : backend_(backend) {}

    ~Input() override {
        Lock lock(backend_.loop_);
        if (stream_) {
            pa_stream_set_state_callback(stream_, nullptr, nullptr);
            pa_stream_set_read_callback(stream_, nullptr, nullptr);
            pa_stream_disconnect(stream_);
            pa_stream_unref(stream_);
        }
    }

    bool open(const WAVEFORMATEX& format, const std::string& device) {
        pa_sample_spec spec = specOf(format);
        pa_channel_map map;
        pa_channel_map_init_auto(&map, spec.channels, PA_CHANNEL_MAP_DEFAULT);
        stream_ = pa_stream_new(backend_.context_, "WaveDeck capture", &spec, &map);
        if (!stream_) return false;
        pa_stream_set_state_callback(stream_, onState, this);
        pa_stream_set_read_callback(
            stream_, [](pa_stream*, size_t, void* self) { signalLoop(static_cast<Input*>(self)->backend_.loop_); },
            this);
        pa_buffer_attr attr;
        attr.maxlength = static_cast<uint32_t>(-1);
        attr.tlength = static_cast<uint32_t>(-1);
        attr.prebuf = static_cast<uint32_t>(-1);
        attr.minreq = static_cast<uint32_t>(-1);
        attr.fragsize = bytesOfMs(format, kCaptureFragmentMs);
        auto flags = static_cast<pa_stream_flags_t>(PA_STREAM_ADJUST_LATENCY | PA_STREAM_START_CORKED);
        if (pa_stream_connect_record(stream_, device.empty() ? nullptr : device.c_str(), &attr, flags) < 0) return false;
        if (!backend_.waitFor([this] { return pa_stream_get_state(stream_) != PA_STREAM_CREATING; },
                              kServerTimeout)) {
            backend_.stall();
            return false;
        }
        return pa_stream_get_state(stream_) == PA_STREAM_READY;
    }

    bool start() override {
        Lock lock(backend_.loop_);
        pa_operation* op = pa_stream_cork(stream_, 0, nullptr, nullptr);
        if (op) pa_operation_unref(op);
        return op != nullptr;
    }
    bool stop() override {
        Lock lock(backend_.loop_);
        if (fragment_) {
            pa_stream_drop(stream_);
            fragment_ = nullptr;
        }
        pa_operation* cork = pa_stream_cork(stream_, 1, nullptr, nullptr);
        if (!cork) return false;
        pa_operation_unref(cork);
        if (pa_operation* op = pa_stream_flush(stream_, nullptr, nullptr)) pa_operation_unref(op);
        return true;
    }
    size_t read(BYTE* data, size_t size) override {
        Lock lock(backend_.loop_);
        size_t got = 0;
        while (got < size && !interrupted_ && !failed_) {
            if (!fragment_) {
                const void* peeked = nullptr;
                size_t length = 0;
                if (pa_stream_peek(stream_, &peeked, &length) < 0) {
                    failed_ = true;
                    break;
                }
                if (length == 0) {
                    pa_threaded_mainloop_wait(backend_.loop_);
                    continue;
                }
                if (!peeked) {  // a hole in the recording: nothing to copy
                    pa_stream_drop(stream_);
                    continue;
                }
                fragment_ = static_cast<const BYTE*>(peeked);
                fragmentSize_ = length;
                fragmentOffset_ = 0;
            }
            size_t n = std::min(fragmentSize_ - fragmentOffset_, size - got);
            std::memcpy(data + got, fragment_ + fragmentOffset_, n);
            fragmentOffset_ += n;
            got += n;
            if (fragmentOffset_ == fragmentSize_) {
                pa_stream_drop(stream_);
                fragment_ = nullptr;
            }
        }
        return got;
    }
    void interrupt() override {
        Lock lock(backend_.loop_);
        interrupted_ = true;
        signalLoop(backend_.loop_);
    }
    void clearInterrupt() override {
        Lock lock(backend_.loop_);
        interrupted_ = false;
    }
    bool failed() const override { return failed_; }

private:
    static void onState(pa_stream* stream, void* self) {
        auto* input = static_cast<Input*>(self);
        pa_stream_state_t state = pa_stream_get_state(stream);
        if (state == PA_STREAM_FAILED || state == PA_STREAM_TERMINATED) input->failed_ = true;
        signalLoop(input->backend_.loop_);
    }

    PulseAudioBackend& backend_;
    pa_stream* stream_ = nullptr;
    const BYTE* fragment_ = nullptr;
    size_t fragmentSize_ = 0;
    size_t fragmentOffset_ = 0;
    bool interrupted_ = false;
    std::atomic<bool> failed_{false};
};

// ---- Connection and waiting ----

PulseAudioBackend::PulseAudioBackend() {
    loop_ = pa_threaded_mainloop_new();
    pa_threaded_mainloop_start(loop_);
    {
        // The first attempt is made here, so that the backend's choice knows its outcome;
        // later ones are the watcher's.
        Lock lock(loop_);
        connect();
    }
    watcher_ = std::thread([this] { watch(); });
}

PulseAudioBackend::~PulseAudioBackend() {
    {
        Lock lock(loop_);
        stopping_ = true;
        signalLoop(loop_);
    }
    watcher_.join();
    {
        Lock lock(loop_);
        disconnect();
    }
    pa_threaded_mainloop_stop(loop_);
    pa_threaded_mainloop_free(loop_);
}

bool PulseAudioBackend::connected() {
    Lock lock(loop_);
    return ready();
}

void PulseAudioBackend::onContextState(pa_context*, void* self) {
    signalLoop(static_cast<PulseAudioBackend*>(self)->loop_);
}

void PulseAudioBackend::onEvent(pa_context*, pa_subscription_event_type_t, uint32_t, void* self) {
    auto* backend = static_cast<PulseAudioBackend*>(self);
    ++backend->dirtyCount_;
    backend->eventPending_ = true;
    signalLoop(backend->loop_);
}

bool PulseAudioBackend::connect() {
    context_ = pa_context_new(pa_threaded_mainloop_get_api(loop_), "WaveDeck");
    if (!context_) return false;
    pa_context_set_state_callback(context_, onContextState, this);
    if (pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
        disconnect();
        return false;
    }
    bool settled = waitFor([this] { return pa_context_get_state(context_) == PA_CONTEXT_READY ||
                                           !PA_CONTEXT_IS_GOOD(pa_context_get_state(context_)); },
                           kServerTimeout);
    if (!settled || pa_context_get_state(context_) != PA_CONTEXT_READY) {
        disconnect();
        return false;
    }
    pa_context_set_subscribe_callback(context_, onEvent, this);
    auto mask = static_cast<pa_subscription_mask_t>(PA_SUBSCRIPTION_MASK_SINK | PA_SUBSCRIPTION_MASK_SOURCE |
                                                     PA_SUBSCRIPTION_MASK_SERVER);
    if (pa_operation* op = pa_context_subscribe(context_, mask, nullptr, nullptr)) pa_operation_unref(op);
    ++dirtyCount_;
    // The values as they are now are the baseline events are compared with. Taken here,
    // before any caller can change a value, so the first change is never mistaken for
    // the starting point.
    compareWithSeen();
    return true;
}

void PulseAudioBackend::disconnect() {
    if (!context_) return;
    pa_context_set_state_callback(context_, nullptr, nullptr);
    pa_context_set_subscribe_callback(context_, nullptr, nullptr);
    pa_context_disconnect(context_);
    pa_context_unref(context_);
    context_ = nullptr;
    sinks_.clear();
    sources_.clear();
    seenSinks_.clear();
    seenSources_.clear();
    stalled_ = false;
}

bool PulseAudioBackend::ready() const { return context_ && pa_context_get_state(context_) == PA_CONTEXT_READY; }

void PulseAudioBackend::stall() {
    if (stalled_) return;
    stalled_ = true;
    signalLoop(loop_);  // the watcher takes over the retries
}

bool PulseAudioBackend::waitFor(const std::function<bool()>& done, std::chrono::milliseconds limit) {
    Clock::time_point deadline = Clock::now() + limit;
    // A timer wakes the wait at the deadline even when the server sends nothing.
    timeval when;
    pa_gettimeofday(&when);
    pa_timeval_add(&when, static_cast<pa_usec_t>(limit.count()) * 1000);
    pa_mainloop_api* api = pa_threaded_mainloop_get_api(loop_);
    pa_time_event* timer = api->time_new(
        api, &when, [](pa_mainloop_api*, pa_time_event*, const timeval*, void* loop) {
            signalLoop(static_cast<pa_threaded_mainloop*>(loop));
        },
        loop_);
    while (!done() && Clock::now() < deadline) pa_threaded_mainloop_wait(loop_);
    api->time_free(timer);
    return done();
}

bool PulseAudioBackend::await(pa_operation* operation) {
    if (!operation) return false;
    waitFor([&] { return pa_operation_get_state(operation) != PA_OPERATION_RUNNING; }, kServerTimeout);
    pa_operation_state_t state = pa_operation_get_state(operation);
    if (state == PA_OPERATION_RUNNING) {
        pa_operation_cancel(operation);
        stall();
    }
    pa_operation_unref(operation);
    return state == PA_OPERATION_DONE;
}

bool PulseAudioBackend::change(const std::function<pa_operation*()>& request) {
    // A stalled server is not asked: the request would wait in its queue and take
    // effect at some later time nobody expects.
    if (stalled_) return false;
    bool done = await(request());
    ++dirtyCount_;
    return done;
}

template <typename Info>
PulseAudioBackend::Device PulseAudioBackend::describe(const Info& info) {
    Device device;
    device.index = info.index;
    device.name = info.name;
    device.description = info.description ? info.description : info.name;
    device.map = info.channel_map;
    device.volume = info.volume;
    device.mute = info.mute != 0;
    return device;
}

bool PulseAudioBackend::refresh() {
    if (!ready()) return false;
    // A stalled server: the last known lists stand until the watcher hears it again.
    if (cleanCount_ == dirtyCount_ || stalled_) return true;
    return reload();
}

bool PulseAudioBackend::reload() {
    uint64_t startedAt = dirtyCount_;
    struct Collect {
        pa_threaded_mainloop* loop;
        std::vector<Device> devices;
        std::string defaultSink;
        std::string defaultSource;
    };
    Collect sinks{loop_, {}, {}, {}};
    Collect sources{loop_, {}, {}, {}};
    Collect server{loop_, {}, {}, {}};
    bool ok = await(pa_context_get_server_info(
        context_,
        [](pa_context*, const pa_server_info* info, void* data) {
            auto* collect = static_cast<Collect*>(data);
            if (info) {
                collect->defaultSink = info->default_sink_name ? info->default_sink_name : "";
                collect->defaultSource = info->default_source_name ? info->default_source_name : "";
            }
            signalLoop(collect->loop);
        },
        &server));
    ok = ok && await(pa_context_get_sink_info_list(
                   context_,
                   [](pa_context*, const pa_sink_info* info, int eol, void* data) {
                       auto* collect = static_cast<Collect*>(data);
                       if (eol == 0 && info) {
                           Device device = PulseAudioBackend::describe(*info);
                           collect->devices.push_back(std::move(device));
                       }
                       signalLoop(collect->loop);
                   },
                   &sinks));
    ok = ok && await(pa_context_get_source_info_list(
                   context_,
                   [](pa_context*, const pa_source_info* info, int eol, void* data) {
                       auto* collect = static_cast<Collect*>(data);
                       if (eol == 0 && info) {
                           Device device = PulseAudioBackend::describe(*info);
                           device.monitor = info->monitor_of_sink != PA_INVALID_INDEX;
                           for (uint32_t p = 0; p < info->n_ports; ++p) {
                               device.ports.push_back({info->ports[p]->name, info->ports[p]->description
                                                                                 ? info->ports[p]->description
                                                                                 : info->ports[p]->name});
                               if (info->ports[p] == info->active_port) device.activePort = static_cast<int>(p);
                           }
                           collect->devices.push_back(std::move(device));
                       }
                       signalLoop(collect->loop);
                   },
                   &sources));
    if (!ok) return false;
    // Device 0 is what the server plays to and records from by default; a sink's monitor
    // is no one's first choice of input, so the monitors come after every real source.
    auto rank = [](const std::string& defaultName) {
        return [defaultName](const Device& device) { return device.name == defaultName ? 0 : device.monitor ? 2 : 1; };
    };
    auto order = [](std::vector<Device>& devices, auto rankOf) {
        std::stable_sort(devices.begin(), devices.end(),
                         [&](const Device& a, const Device& b) { return rankOf(a) < rankOf(b); });
    };
    order(sinks.devices, rank(server.defaultSink));
    order(sources.devices, rank(server.defaultSource));
    sinks_ = std::move(sinks.devices);
    sources_ = std::move(sources.devices);
    defaultSink_ = server.defaultSink;
    defaultSource_ = server.defaultSource;
    cleanCount_ = startedAt;
    return true;
}


// ---- Devices ----

const PulseAudioBackend::Device* PulseAudioBackend::sink(unsigned device) const {
    return device < sinks_.size() ? &sinks_[device] : nullptr;
}

const PulseAudioBackend::Device* PulseAudioBackend::source(unsigned device) const {
    return device < sources_.size() ? &sources_[device] : nullptr;
}

unsigned PulseAudioBackend::outputCount() {
    Lock lock(loop_);
    refresh();
    return static_cast<unsigned>(sinks_.size());
}

unsigned PulseAudioBackend::inputCount() {
    Lock lock(loop_);
    refresh();
    return static_cast<unsigned>(sources_.size());
}

bool PulseAudioBackend::outputInfo(unsigned device, AudioDeviceInfo& info) {
    Lock lock(loop_);
    refresh();
    const Device* found = sink(device);
    if (!found) return false;
    info.name = found->description;
    info.channels = found->volume.channels == 1 ? 1 : 2;
    return true;
}

bool PulseAudioBackend::inputInfo(unsigned device, AudioDeviceInfo& info) {
    Lock lock(loop_);
    refresh();
    const Device* found = source(device);
    if (!found) return false;
    info.name = found->description;
    info.channels = found->volume.channels == 1 ? 1 : 2;
    return true;
}

int PulseAudioBackend::defaultOutput() {
    Lock lock(loop_);
    refresh();
    for (size_t i = 0; i < sinks_.size(); ++i) {
        if (sinks_[i].name == defaultSink_) return static_cast<int>(i);
    }
    return sinks_.empty() ? -1 : 0;
}

int PulseAudioBackend::defaultInput() {
    Lock lock(loop_);
    refresh();
    for (size_t i = 0; i < sources_.size(); ++i) {
        if (sources_[i].name == defaultSource_) return static_cast<int>(i);
    }
    return sources_.empty() ? -1 : 0;
}

std::string PulseAudioBackend::sinkNameOf(UINT device) {
    if (device != WAVE_MAPPER) {
        const Device* found = sink(device);
        return found ? found->name : std::string();
    }
    for (const Device& each : sinks_) {
        if (each.name == defaultSink_) return each.name;
    }
    return sinks_.empty() ? std::string() : sinks_.front().name;
}

std::string PulseAudioBackend::sourceNameOf(UINT device) {
    if (device != WAVE_MAPPER) {
        const Device* found = source(device);
        return found ? found->name : std::string();
    }
    for (const Device& each : sources_) {
        if (each.name == defaultSource_) return each.name;
    }
    return sources_.empty() ? std::string() : sources_.front().name;
}

PulseAudioBackend::WaveSetting& PulseAudioBackend::waveOf(const std::string& sinkName) {
    auto [it, inserted] = wave_.try_emplace(sinkName);
    if (inserted) {
        it->second.volume.channels = 2;
        it->second.volume.value[0] = it->second.volume.value[1] = kFullVolume;
    }
    return it->second;
}

void PulseAudioBackend::applyWave(const std::string& sinkName) {
    const WaveSetting& wave = waveOf(sinkName);
    for (Output* output : outputs_) {
        if (output->sinkName() == sinkName) output->apply(wave);
    }
}

std::unique_ptr<AudioOutputStream> PulseAudioBackend::openOutput(UINT device, const WAVEFORMATEX& format) {
    Lock lock(loop_);
    if (!refresh() || stalled_) return nullptr;
    std::string sinkName = sinkNameOf(device);
    if (sinkName.empty()) return nullptr;
    auto output = std::make_unique<Output>(*this, sinkName);
    if (!output->open(format, sinkName, waveOf(sinkName))) return nullptr;
    outputs_.insert(output.get());
    return output;
}

std::unique_ptr<AudioInputStream> PulseAudioBackend::openInput(UINT device, const WAVEFORMATEX& format) {
    Lock lock(loop_);
    if (!refresh() || stalled_) return nullptr;
    std::string sourceName = sourceNameOf(device);
    if (sourceName.empty()) return nullptr;
    auto input = std::make_unique<Input>(*this);
    if (!input->open(format, sourceName)) return nullptr;
    return input;
}

// ---- Mixer ----

bool PulseAudioBackend::outputVolume(unsigned device, OutputLine line, ChannelVolume& volume) {
    Lock lock(loop_);
    if (!refresh()) return false;
    const Device* found = sink(device);
    if (!found) return false;
    volume = line == OutputLine::Master ? toChannelVolume(found->volume, found->map) : waveOf(found->name).volume;
    return true;
}

bool PulseAudioBackend::setOutputVolume(unsigned device, OutputLine line, const ChannelVolume& volume) {
    bool waveChanged = false;
    bool defaultDevice = false;
    {
        Lock lock(loop_);
        if (!refresh()) return false;
        const Device* found = sink(device);
        if (!found) return false;
        defaultDevice = found->name == defaultSink_;
        if (line == OutputLine::Master) {
            pa_cvolume target = fromChannelVolume(volume, found->map, found->volume.channels);
            return change([&] {
                return pa_context_set_sink_volume_by_index(context_, found->index, &target, onSuccess, loop_);
            });
        }
        WaveSetting& wave = waveOf(found->name);
        ChannelVolume next = wave.volume;
        for (unsigned c = 0; c < 2; ++c) next.value[c] = std::min(volume.value[c < volume.channels ? c : 0], kFullVolume);
        waveChanged = !sameVolume(next, wave.volume);
        wave.volume = next;
        applyWave(found->name);
    }
    if (waveChanged) notifyMixer({MixerChange::Control::WaveVolume, device, 0, defaultDevice});
    return true;
}

bool PulseAudioBackend::outputMute(unsigned device, OutputLine line, bool& mute) {
    Lock lock(loop_);
    if (!refresh()) return false;
    const Device* found = sink(device);
    if (!found) return false;
    mute = line == OutputLine::Master ? found->mute : waveOf(found->name).mute;
    return true;
}

bool PulseAudioBackend::setOutputMute(unsigned device, OutputLine line, bool mute) {
    bool waveChanged = false;
    bool defaultDevice = false;
    {
        Lock lock(loop_);
        if (!refresh()) return false;
        const Device* found = sink(device);
        if (!found) return false;
        defaultDevice = found->name == defaultSink_;
        if (line == OutputLine::Master) {
            return change(
                [&] { return pa_context_set_sink_mute_by_index(context_, found->index, mute, onSuccess, loop_); });
        }
        WaveSetting& wave = waveOf(found->name);
        waveChanged = wave.mute != mute;
        wave.mute = mute;
        applyWave(found->name);
    }
    if (waveChanged) notifyMixer({MixerChange::Control::WaveMute, device, 0, defaultDevice});
    return true;
}

bool PulseAudioBackend::recordLines(unsigned device, std::vector<RecordLineInfo>& lines) {
    Lock lock(loop_);
    if (!refresh()) return false;
    const Device* found = source(device);
    if (!found) return false;
    lines.clear();
    if (found->ports.empty()) {
        lines.push_back({found->description, MIXERLINE_COMPONENTTYPE_SRC_ANALOG, true});
    }
    for (const Port& port : found->ports) lines.push_back({port.description, componentOfPort(port.name), true});
    return true;
}

bool PulseAudioBackend::recordLine(unsigned device, int& line) {
    Lock lock(loop_);
    if (!refresh()) return false;
    const Device* found = source(device);
    if (!found) return false;
    line = found->activePort;
    return true;
}

bool PulseAudioBackend::setRecordLine(unsigned device, int line) {
    Lock lock(loop_);
    if (!refresh()) return false;
    const Device* found = source(device);
    if (!found || line < 0) return false;
    if (found->ports.empty()) return line == 0;
    if (static_cast<size_t>(line) >= found->ports.size()) return false;
    return change([&] {
        return pa_context_set_source_port_by_index(context_, found->index, found->ports[line].name.c_str(), onSuccess,
                                                   loop_);
    });
}

bool PulseAudioBackend::recordLineVolume(unsigned device, int line, DWORD& value) {
    Lock lock(loop_);
    if (!refresh()) return false;
    const Device* found = source(device);
    if (!found || line < 0 || static_cast<size_t>(line) >= std::max<size_t>(found->ports.size(), 1)) return false;
    value = toLinear(pa_cvolume_max(&found->volume));
    return true;
}

bool PulseAudioBackend::setRecordLineVolume(unsigned device, int line, DWORD value) {
    Lock lock(loop_);
    if (!refresh()) return false;
    const Device* found = source(device);
    if (!found || line < 0 || static_cast<size_t>(line) >= std::max<size_t>(found->ports.size(), 1)) return false;
    pa_cvolume target;
    pa_cvolume_set(&target, found->volume.channels, fromLinear(value));
    return change(
        [&] { return pa_context_set_source_volume_by_index(context_, found->index, &target, onSuccess, loop_); });
}

// ---- Change events ----

std::vector<MixerChange> PulseAudioBackend::compareWithSeen() {
    std::vector<MixerChange> changes;
    if (!refresh()) return changes;
    for (size_t i = 0; i < sinks_.size(); ++i) {
        const Device& device = sinks_[i];
        Seen now{toChannelVolume(device.volume, device.map), device.mute, 0};
        auto it = seenSinks_.find(device.name);
        bool isDefault = device.name == defaultSink_;
        auto number = static_cast<unsigned>(i);
        if (it != seenSinks_.end()) {
            if (!sameVolume(it->second.volume, now.volume)) {
                changes.push_back({MixerChange::Control::MasterVolume, number, 0, isDefault});
            }
            if (it->second.mute != now.mute) changes.push_back({MixerChange::Control::MasterMute, number, 0, isDefault});
        }
        seenSinks_[device.name] = now;
    }
    for (size_t i = 0; i < sources_.size(); ++i) {
        const Device& device = sources_[i];
        ChannelVolume volume;
        volume.channels = 1;
        volume.value[0] = toLinear(pa_cvolume_max(&device.volume));
        Seen now{volume, device.mute, device.activePort};
        auto it = seenSources_.find(device.name);
        bool isDefault = device.name == defaultSource_;
        auto number = static_cast<unsigned>(i);
        if (it != seenSources_.end()) {
            if (it->second.activePort != now.activePort) {
                changes.push_back({MixerChange::Control::RecordSelect, number, 0, isDefault});
            }
            if (!sameVolume(it->second.volume, now.volume)) {
                changes.push_back({MixerChange::Control::RecordLineVolume, number, now.activePort, isDefault});
            }
        }
        seenSources_[device.name] = now;
    }
    return changes;
}

bool PulseAudioBackend::pause(Clock::time_point until) {
    if (until > Clock::now()) {
        waitFor([this] { return stopping_; },
                std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now()));
    }
    return !stopping_;
}

void PulseAudioBackend::watch() {
    pa_threaded_mainloop_lock(loop_);
    Clock::time_point nextTry = Clock::now() + kReconnectInterval;
    while (!stopping_) {
        if (!context_ || !PA_CONTEXT_IS_GOOD(pa_context_get_state(context_))) {
            // Gone (or never there): try again once per interval.
            disconnect();
            if (!pause(nextTry)) break;
            nextTry = Clock::now() + kReconnectInterval;
            connect();
            continue;
        }
        if (stalled_) {
            // Asked again with the usual bound; once it answers, the callers may wait
            // for it again, and what changed meanwhile is reported.
            if (!pause(nextTry)) break;
            nextTry = Clock::now() + kReconnectInterval;
            if (ready() && reload()) {
                stalled_ = false;
                eventPending_ = true;
            }
            continue;
        }
        if (!eventPending_) {
            pa_threaded_mainloop_wait(loop_);
            continue;
        }
        eventPending_ = false;
        std::vector<MixerChange> changes = compareWithSeen();
        if (changes.empty()) continue;
        pa_threaded_mainloop_unlock(loop_);
        for (const MixerChange& change : changes) notifyMixer(change);
        pa_threaded_mainloop_lock(loop_);
    }
    pa_threaded_mainloop_unlock(loop_);
}

}  // namespace wd
