#include "platform/audio/winmm.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "platform/audio/audio_backend.h"
#include "platform/audio/handle_table.h"
#include "platform/audio/wave_in_device.h"
#include "platform/audio/wave_out_device.h"
#include "wavedeck_win.h"

using wd::AudioBackend;
using wd::AudioDeviceInfo;
using wd::ChannelVolume;
using wd::HandleTable;
using wd::MixerChange;
using wd::OutputLine;
using wd::RecordLineInfo;

namespace {

// ---- Wave handles ----

HandleTable<wd::WaveOutDevice>& waveOuts() {
    static auto* table = new HandleTable<wd::WaveOutDevice>;
    return *table;
}

HandleTable<wd::WaveInDevice>& waveIns() {
    static auto* table = new HandleTable<wd::WaveInDevice>;
    return *table;
}

void copyText(char* out, size_t capacity, const std::string& text) {
    size_t n = std::min(text.size(), capacity - 1);
    std::memcpy(out, text.data(), n);
    out[n] = 0;
}

/** PCM, 1 or 2 channels of 8 or 16 bits, consistent block align and byte rate. */
bool validFormat(const WAVEFORMATEX* format) {
    if (!format || format->wFormatTag != WAVE_FORMAT_PCM) return false;
    if (format->nChannels < 1 || format->nChannels > 2) return false;
    if (format->wBitsPerSample != 8 && format->wBitsPerSample != 16) return false;
    if (format->nSamplesPerSec < 1000 || format->nSamplesPerSec > 384000) return false;
    if (format->nBlockAlign != format->nChannels * format->wBitsPerSample / 8) return false;
    return format->nAvgBytesPerSec == format->nSamplesPerSec * format->nBlockAlign;
}

/** Common checks of waveOutOpen and waveInOpen; MMSYSERR_NOERROR when the device may be
 * opened (or, with WAVE_FORMAT_QUERY, would take the format). */
MMRESULT checkOpen(const void* handle, UINT device, unsigned count, const WAVEFORMATEX* format, DWORD_PTR callback,
                   DWORD flags) {
    DWORD type = flags & CALLBACK_TYPEMASK;
    if (type != CALLBACK_NULL && type != CALLBACK_FUNCTION) return MMSYSERR_INVALFLAG;
    if (flags & ~(CALLBACK_TYPEMASK | WAVE_FORMAT_QUERY)) return MMSYSERR_INVALFLAG;
    if (type == CALLBACK_FUNCTION && !callback) return MMSYSERR_INVALPARAM;
    if (device == WAVE_MAPPER ? count == 0 : device >= count) return count == 0 ? MMSYSERR_NODRIVER : MMSYSERR_BADDEVICEID;
    if (!validFormat(format)) return WAVERR_BADFORMAT;
    if (!handle && !(flags & WAVE_FORMAT_QUERY)) return MMSYSERR_INVALPARAM;
    return MMSYSERR_NOERROR;
}

/** A header is queued whole frames at a time. */
bool wholeFrames(const WAVEHDR* header, WORD blockAlign) {
    return header && header->dwBufferLength % blockAlign == 0;
}

// ---- Mixers ----

/** An open mixer handle: its mixer number (or WAVE_MAPPER) and callback window. */
struct MixerOpen {
    UINT mixer;
    HWND window;
};

HandleTable<MixerOpen>& mixers() {
    static auto* table = new HandleTable<MixerOpen>;
    return *table;
}

// Fixed line IDs; a control's ID is its line's ID * 16 + its kind, so the IDs of one
// mixer stay the same whichever destinations it has.
constexpr DWORD kSpeakersLine = 0x0000;
constexpr DWORD kRecordingLine = 0x0001;
constexpr DWORD kWaveLine = 0x1000;
constexpr DWORD kFirstRecordSource = 0x2000;
constexpr DWORD kVolumeKind = 1;
constexpr DWORD kMuteKind = 2;
constexpr DWORD kSelectKind = 3;
constexpr DWORD kMaxVolume = 65535;

DWORD controlId(DWORD line, DWORD kind) { return line * 16 + kind; }

DWORD changeControlId(const MixerChange& change) {
    switch (change.control) {
        case MixerChange::Control::MasterVolume: return controlId(kSpeakersLine, kVolumeKind);
        case MixerChange::Control::MasterMute: return controlId(kSpeakersLine, kMuteKind);
        case MixerChange::Control::WaveVolume: return controlId(kWaveLine, kVolumeKind);
        case MixerChange::Control::WaveMute: return controlId(kWaveLine, kMuteKind);
        case MixerChange::Control::RecordSelect: return controlId(kRecordingLine, kSelectKind);
        case MixerChange::Control::RecordLineVolume:
            return controlId(kFirstRecordSource + static_cast<DWORD>(change.line), kVolumeKind);
    }
    return 0;
}

/** From the first mixerOpen on, every changed control is posted as
 * MM_MIXM_CONTROL_CHANGE to the callback window of every open handle of its mixer
 * (handles opened on WAVE_MAPPER follow the default device). Runs on whichever thread
 * the backend reports from; posting never blocks. */
void watchMixerChanges() {
    static std::once_flag once;
    std::call_once(once, [] {
        AudioBackend::instance().setMixerListener([](const MixerChange& change) {
            auto id = static_cast<LPARAM>(changeControlId(change));
            for (auto& [value, open] : mixers().all()) {
                if (!open->window) continue;
                bool match = open->mixer == WAVE_MAPPER ? change.onDefaultDevice : open->mixer == change.device;
                if (match) PostMessageA(open->window, MM_MIXM_CONTROL_CHANGE, value, id);
            }
        });
    });
}

struct ControlDesc {
    DWORD id;
    DWORD type;
    DWORD items;
    const char* name;
};

struct LineDesc {
    DWORD id;
    DWORD destination;
    DWORD source;
    bool isSource;
    DWORD componentType;
    DWORD channels;
    DWORD connections;
    std::string name;
    DWORD targetType;
    DWORD targetDevice;
    std::string targetName;
    std::vector<ControlDesc> controls;
};

/** What mixer `mixer` holds right now: its output side (device, or -1), its input side,
 * and the lines that follow from them. */
struct MixerLayout {
    int output = -1;
    int input = -1;
    std::vector<RecordLineInfo> recordLines;
    std::vector<LineDesc> lines;
    std::string name;
};

MixerLayout layoutOf(UINT mixer) {
    AudioBackend& backend = AudioBackend::instance();
    MixerLayout layout;
    if (mixer == WAVE_MAPPER) {
        layout.output = backend.defaultOutput();
        layout.input = backend.defaultInput();
    } else {
        if (mixer < backend.outputCount()) layout.output = static_cast<int>(mixer);
        if (mixer < backend.inputCount()) layout.input = static_cast<int>(mixer);
    }
    DWORD destination = 0;
    AudioDeviceInfo info;
    if (layout.output >= 0 && backend.outputInfo(static_cast<unsigned>(layout.output), info)) {
        DWORD device = static_cast<DWORD>(layout.output);
        layout.name = info.name;
        layout.lines.push_back({kSpeakersLine, destination, 0, false, MIXERLINE_COMPONENTTYPE_DST_SPEAKERS,
                                std::clamp(info.channels, 1u, 2u), 1, "Speakers", MIXERLINE_TARGETTYPE_WAVEOUT,
                                device, info.name,
                                {{controlId(kSpeakersLine, kVolumeKind), MIXERCONTROL_CONTROLTYPE_VOLUME, 0,
                                  "Master Volume"},
                                 {controlId(kSpeakersLine, kMuteKind), MIXERCONTROL_CONTROLTYPE_MUTE, 0, "Master Mute"}}});
        layout.lines.push_back({kWaveLine, destination, 0, true, MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT, 2, 0, "Wave",
                                MIXERLINE_TARGETTYPE_WAVEOUT, device, info.name,
                                {{controlId(kWaveLine, kVolumeKind), MIXERCONTROL_CONTROLTYPE_VOLUME, 0, "Wave Volume"},
                                 {controlId(kWaveLine, kMuteKind), MIXERCONTROL_CONTROLTYPE_MUTE, 0, "Wave Mute"}}});
        ++destination;
    }
    if (layout.input >= 0 && backend.inputInfo(static_cast<unsigned>(layout.input), info)) {
        DWORD device = static_cast<DWORD>(layout.input);
        if (layout.name.empty()) layout.name = info.name;
        backend.recordLines(device, layout.recordLines);
        auto count = static_cast<DWORD>(layout.recordLines.size());
        LineDesc recording{kRecordingLine, destination, 0, false, MIXERLINE_COMPONENTTYPE_DST_WAVEIN, 2, count,
                           "Recording Control", MIXERLINE_TARGETTYPE_WAVEIN, device, info.name, {}};
        if (count > 0) {
            recording.controls.push_back(
                {controlId(kRecordingLine, kSelectKind), MIXERCONTROL_CONTROLTYPE_MUX, count, "Recording Source"});
        }
        layout.lines.push_back(recording);
        for (DWORD i = 0; i < count; ++i) {
            const RecordLineInfo& line = layout.recordLines[i];
            LineDesc source{kFirstRecordSource + i, destination, i, true, line.componentType, 1, 0, line.name,
                            MIXERLINE_TARGETTYPE_WAVEIN, device, info.name, {}};
            if (line.hasVolume) {
                source.controls.push_back(
                    {controlId(kFirstRecordSource + i, kVolumeKind), MIXERCONTROL_CONTROLTYPE_VOLUME, 0, "Volume"});
            }
            layout.lines.push_back(source);
        }
    }
    return layout;
}

UINT mixerCount() {
    AudioBackend& backend = AudioBackend::instance();
    return std::max(backend.outputCount(), backend.inputCount());
}

/** The mixer number that a mixer object names, or false for a bad object. */
bool mixerOf(HMIXEROBJ object, DWORD flags, UINT& mixer) {
    DWORD type = flags & MIXER_OBJECTF_TYPEMASK;
    if (type == MIXER_OBJECTF_HMIXER) {
        std::shared_ptr<MixerOpen> open = mixers().find(object);
        if (!open) return false;
        mixer = open->mixer;
        return true;
    }
    if (type != MIXER_OBJECTF_MIXER) return false;
    mixer = static_cast<UINT>(reinterpret_cast<uintptr_t>(object));
    return mixer < mixerCount();
}

const LineDesc* findLine(const MixerLayout& layout, DWORD id) {
    for (const LineDesc& line : layout.lines) {
        if (line.id == id) return &line;
    }
    return nullptr;
}

const ControlDesc* findControl(const MixerLayout& layout, DWORD id, const LineDesc** owner) {
    for (const LineDesc& line : layout.lines) {
        for (const ControlDesc& control : line.controls) {
            if (control.id == id) {
                if (owner) *owner = &line;
                return &control;
            }
        }
    }
    return nullptr;
}

void fillLine(const LineDesc& desc, MIXERLINEA* line) {
    line->dwDestination = desc.destination;
    line->dwSource = desc.source;
    line->dwLineID = desc.id;
    line->fdwLine = MIXERLINE_LINEF_ACTIVE | (desc.isSource ? MIXERLINE_LINEF_SOURCE : 0);
    line->dwUser = 0;
    line->dwComponentType = desc.componentType;
    line->cChannels = desc.channels;
    line->cConnections = desc.connections;
    line->cControls = static_cast<DWORD>(desc.controls.size());
    copyText(line->szShortName, sizeof line->szShortName, desc.name);
    copyText(line->szName, sizeof line->szName, desc.name);
    line->Target.dwType = desc.targetType;
    line->Target.dwDeviceID = desc.targetDevice;
    line->Target.wMid = 0;
    line->Target.wPid = 0;
    line->Target.vDriverVersion = 0;
    copyText(line->Target.szPname, sizeof line->Target.szPname, desc.targetName);
}

void fillControl(const ControlDesc& desc, MIXERCONTROLA* control) {
    std::memset(control, 0, sizeof *control);
    control->cbStruct = sizeof *control;
    control->dwControlID = desc.id;
    control->dwControlType = desc.type;
    control->fdwControl = desc.type == MIXERCONTROL_CONTROLTYPE_MUX
                              ? MIXERCONTROL_CONTROLF_MULTIPLE | MIXERCONTROL_CONTROLF_UNIFORM
                              : 0;
    control->cMultipleItems = desc.items;
    copyText(control->szShortName, sizeof control->szShortName, desc.name);
    copyText(control->szName, sizeof control->szName, desc.name);
    control->Bounds.dwMinimum = 0;
    control->Bounds.dwMaximum = desc.type == MIXERCONTROL_CONTROLTYPE_VOLUME ? kMaxVolume : 1;
    control->Metrics.cSteps = desc.type == MIXERCONTROL_CONTROLTYPE_VOLUME ? kMaxVolume : 0;
}

bool detailsFit(const MIXERCONTROLDETAILS* details, size_t itemSize, DWORD items) {
    return details && details->cbStruct >= sizeof(MIXERCONTROLDETAILS) && details->paDetails &&
           details->cbDetails >= itemSize && items > 0;
}

// The capabilities of a wave device of either direction; WAVE_MAPPER names the default.
template <typename Caps>
MMRESULT deviceCaps(UINT_PTR device, Caps* caps, UINT size, int defaultDevice,
                    bool (AudioBackend::*describe)(unsigned, AudioDeviceInfo&)) {
    if (!caps || size < sizeof(Caps)) return MMSYSERR_INVALPARAM;
    int index = device == WAVE_MAPPER ? defaultDevice : static_cast<int>(device);
    AudioDeviceInfo info;
    if (index < 0 || !(AudioBackend::instance().*describe)(static_cast<unsigned>(index), info)) {
        return MMSYSERR_BADDEVICEID;
    }
    std::memset(caps, 0, sizeof *caps);
    copyText(caps->szPname, sizeof caps->szPname, info.name);
    caps->dwFormats = 0xFFF;  // every WAVE_FORMAT_ rate/size/channel combination up to 44.1 kHz
    caps->wChannels = 2;
    return MMSYSERR_NOERROR;
}

// Opens a wave device of either direction: the checks, then the backend's stream, then a
// handle bound to the device object that drives it.
template <typename Device, typename Handle, typename OpenStream>
MMRESULT openWave(HandleTable<Device>& table, Handle* handle, UINT device, unsigned count, const WAVEFORMATEX* format,
                  DWORD_PTR callback, DWORD_PTR instance, DWORD flags, OpenStream openStream) {
    MMRESULT check = checkOpen(handle, device, count, format, callback, flags);
    if (check != MMSYSERR_NOERROR || (flags & WAVE_FORMAT_QUERY)) return check;
    auto stream = openStream();
    if (!stream) return MMSYSERR_NODRIVER;
    uintptr_t value = table.reserve();
    auto opened = reinterpret_cast<Handle>(value);
    auto wave = std::make_shared<Device>(
        opened, std::move(stream),
        (flags & CALLBACK_TYPEMASK) == CALLBACK_FUNCTION ? reinterpret_cast<WAVECALLBACK>(callback) : nullptr,
        instance, *format);
    wave->start();
    table.bind(value, wave);
    *handle = opened;
    return MMSYSERR_NOERROR;
}

}  // namespace

// ---- Wave out ----

UINT waveOutGetNumDevs() { return AudioBackend::instance().outputCount(); }

MMRESULT waveOutGetDevCapsA(UINT_PTR device, WAVEOUTCAPSA* caps, UINT size) {
    AudioBackend& backend = AudioBackend::instance();
    return deviceCaps(device, caps, size, backend.defaultOutput(), &AudioBackend::outputInfo);
}

MMRESULT waveOutOpen(HWAVEOUT* handle, UINT device, const WAVEFORMATEX* format, DWORD_PTR callback,
                     DWORD_PTR instance, DWORD flags) {
    AudioBackend& backend = AudioBackend::instance();
    return openWave(waveOuts(), handle, device, backend.outputCount(), format, callback, instance, flags,
                    [&] { return backend.openOutput(device, *format); });
}

MMRESULT waveOutClose(HWAVEOUT handle) {
    std::shared_ptr<wd::WaveOutDevice> waveOut = waveOuts().find(handle);
    if (!waveOut) return MMSYSERR_INVALHANDLE;
    MMRESULT result = waveOut->close();
    if (result == MMSYSERR_NOERROR) waveOuts().remove(handle);
    return result;
}

MMRESULT waveOutPrepareHeader(HWAVEOUT handle, WAVEHDR* header, UINT size) {
    std::shared_ptr<wd::WaveOutDevice> waveOut = waveOuts().find(handle);
    return waveOut ? waveOut->prepare(header, size) : MMSYSERR_INVALHANDLE;
}

MMRESULT waveOutUnprepareHeader(HWAVEOUT handle, WAVEHDR* header, UINT size) {
    std::shared_ptr<wd::WaveOutDevice> waveOut = waveOuts().find(handle);
    return waveOut ? waveOut->unprepare(header, size) : MMSYSERR_INVALHANDLE;
}

MMRESULT waveOutWrite(HWAVEOUT handle, WAVEHDR* header, UINT size) {
    std::shared_ptr<wd::WaveOutDevice> waveOut = waveOuts().find(handle);
    if (!waveOut) return MMSYSERR_INVALHANDLE;
    if (!wholeFrames(header, waveOut->blockAlign())) return MMSYSERR_INVALPARAM;
    return waveOut->write(header, size);
}

MMRESULT waveOutPause(HWAVEOUT handle) {
    std::shared_ptr<wd::WaveOutDevice> waveOut = waveOuts().find(handle);
    return waveOut ? waveOut->pause() : MMSYSERR_INVALHANDLE;
}

MMRESULT waveOutRestart(HWAVEOUT handle) {
    std::shared_ptr<wd::WaveOutDevice> waveOut = waveOuts().find(handle);
    return waveOut ? waveOut->restart() : MMSYSERR_INVALHANDLE;
}

MMRESULT waveOutReset(HWAVEOUT handle) {
    std::shared_ptr<wd::WaveOutDevice> waveOut = waveOuts().find(handle);
    return waveOut ? waveOut->reset() : MMSYSERR_INVALHANDLE;
}

// ---- Wave in ----

UINT waveInGetNumDevs() { return AudioBackend::instance().inputCount(); }

MMRESULT waveInGetDevCapsA(UINT_PTR device, WAVEINCAPSA* caps, UINT size) {
    AudioBackend& backend = AudioBackend::instance();
    return deviceCaps(device, caps, size, backend.defaultInput(), &AudioBackend::inputInfo);
}

MMRESULT waveInOpen(HWAVEIN* handle, UINT device, const WAVEFORMATEX* format, DWORD_PTR callback, DWORD_PTR instance,
                    DWORD flags) {
    AudioBackend& backend = AudioBackend::instance();
    return openWave(waveIns(), handle, device, backend.inputCount(), format, callback, instance, flags,
                    [&] { return backend.openInput(device, *format); });
}

MMRESULT waveInClose(HWAVEIN handle) {
    std::shared_ptr<wd::WaveInDevice> waveIn = waveIns().find(handle);
    if (!waveIn) return MMSYSERR_INVALHANDLE;
    MMRESULT result = waveIn->close();
    if (result == MMSYSERR_NOERROR) waveIns().remove(handle);
    return result;
}

MMRESULT waveInPrepareHeader(HWAVEIN handle, WAVEHDR* header, UINT size) {
    std::shared_ptr<wd::WaveInDevice> waveIn = waveIns().find(handle);
    return waveIn ? waveIn->prepare(header, size) : MMSYSERR_INVALHANDLE;
}

MMRESULT waveInUnprepareHeader(HWAVEIN handle, WAVEHDR* header, UINT size) {
    std::shared_ptr<wd::WaveInDevice> waveIn = waveIns().find(handle);
    return waveIn ? waveIn->unprepare(header, size) : MMSYSERR_INVALHANDLE;
}

MMRESULT waveInAddBuffer(HWAVEIN handle, WAVEHDR* header, UINT size) {
    std::shared_ptr<wd::WaveInDevice> waveIn = waveIns().find(handle);
    if (!waveIn) return MMSYSERR_INVALHANDLE;
    if (!wholeFrames(header, waveIn->blockAlign())) return MMSYSERR_INVALPARAM;
    return waveIn->addBuffer(header, size);
}

MMRESULT waveInStart(HWAVEIN handle) {
    std::shared_ptr<wd::WaveInDevice> waveIn = waveIns().find(handle);
    return waveIn ? waveIn->startRecording() : MMSYSERR_INVALHANDLE;
}

MMRESULT waveInStop(HWAVEIN handle) {
    std::shared_ptr<wd::WaveInDevice> waveIn = waveIns().find(handle);
    return waveIn ? waveIn->stop() : MMSYSERR_INVALHANDLE;
}

MMRESULT waveInReset(HWAVEIN handle) {
    std::shared_ptr<wd::WaveInDevice> waveIn = waveIns().find(handle);
    return waveIn ? waveIn->reset() : MMSYSERR_INVALHANDLE;
}

// ---- Mixer ----

UINT mixerGetNumDevs() { return mixerCount(); }

MMRESULT mixerGetDevCapsA(UINT_PTR mixer, MIXERCAPSA* caps, UINT size) {
    if (!caps || size < sizeof(MIXERCAPSA)) return MMSYSERR_INVALPARAM;
    if (mixer >= mixerCount()) return MMSYSERR_BADDEVICEID;
    MixerLayout layout = layoutOf(static_cast<UINT>(mixer));
    std::memset(caps, 0, sizeof *caps);
    copyText(caps->szPname, sizeof caps->szPname, layout.name);
    caps->cDestinations = (layout.output >= 0 ? 1 : 0) + (layout.input >= 0 ? 1 : 0);
    return MMSYSERR_NOERROR;
}

MMRESULT mixerOpen(HMIXER* handle, UINT mixer, DWORD_PTR callback, DWORD_PTR, DWORD flags) {
    if (!handle) return MMSYSERR_INVALPARAM;
    DWORD type = flags & CALLBACK_TYPEMASK;
    if (type != CALLBACK_NULL && type != CALLBACK_WINDOW) return MMSYSERR_INVALFLAG;
    if (flags & ~CALLBACK_TYPEMASK) return MMSYSERR_INVALFLAG;
    UINT count = mixerCount();
    if (count == 0) return MMSYSERR_NODRIVER;
    if (mixer != WAVE_MAPPER && mixer >= count) return MMSYSERR_BADDEVICEID;
    watchMixerChanges();
    uintptr_t value = mixers().reserve();
    HWND window = type == CALLBACK_WINDOW ? reinterpret_cast<HWND>(callback) : nullptr;
    mixers().bind(value, std::make_shared<MixerOpen>(MixerOpen{mixer, window}));
    *handle = reinterpret_cast<HMIXER>(value);
    return MMSYSERR_NOERROR;
}

MMRESULT mixerClose(HMIXER handle) { return mixers().remove(handle) ? MMSYSERR_NOERROR : MMSYSERR_INVALHANDLE; }

MMRESULT mixerGetLineInfoA(HMIXEROBJ object, MIXERLINEA* line, DWORD flags) {
    if (!line || line->cbStruct < sizeof(MIXERLINEA)) return MMSYSERR_INVALPARAM;
    UINT mixer;
    if (!mixerOf(object, flags, mixer)) return MMSYSERR_INVALHANDLE;
    MixerLayout layout = layoutOf(mixer);
    const LineDesc* found = nullptr;
    for (const LineDesc& desc : layout.lines) {
        bool match = false;
        switch (flags & MIXER_GETLINEINFOF_QUERYMASK) {
            case MIXER_GETLINEINFOF_DESTINATION:
                match = !desc.isSource && desc.destination == line->dwDestination;
                break;
            case MIXER_GETLINEINFOF_SOURCE:
                match = desc.isSource && desc.destination == line->dwDestination && desc.source == line->dwSource;
                break;
            case MIXER_GETLINEINFOF_LINEID:
                match = desc.id == line->dwLineID;
                break;
            case MIXER_GETLINEINFOF_COMPONENTTYPE:
                match = desc.componentType == line->dwComponentType;
                break;
            default:
                return MMSYSERR_INVALFLAG;
        }
        if (match) {
            found = &desc;
            break;
        }
    }
    if (!found) return MIXERR_INVALLINE;
    fillLine(*found, line);
    return MMSYSERR_NOERROR;
}

MMRESULT mixerGetLineControlsA(HMIXEROBJ object, MIXERLINECONTROLSA* controls, DWORD flags) {
    if (!controls || controls->cbStruct < sizeof(MIXERLINECONTROLSA) || !controls->pamxctrl ||
        controls->cbmxctrl < sizeof(MIXERCONTROLA)) {
        return MMSYSERR_INVALPARAM;
    }
    UINT mixer;
    if (!mixerOf(object, flags, mixer)) return MMSYSERR_INVALHANDLE;
    MixerLayout layout = layoutOf(mixer);
    switch (flags & MIXER_GETLINECONTROLSF_QUERYMASK) {
        case MIXER_GETLINECONTROLSF_ONEBYID: {
            const LineDesc* owner = nullptr;
            const ControlDesc* control = findControl(layout, controls->dwControlID, &owner);
            if (!control) return MIXERR_INVALCONTROL;
            controls->dwLineID = owner->id;
            fillControl(*control, controls->pamxctrl);
            return MMSYSERR_NOERROR;
        }
        case MIXER_GETLINECONTROLSF_ONEBYTYPE: {
            const LineDesc* line = findLine(layout, controls->dwLineID);
            if (!line) return MIXERR_INVALLINE;
            for (const ControlDesc& control : line->controls) {
                if (control.type == controls->dwControlType) {
                    fillControl(control, controls->pamxctrl);
                    return MMSYSERR_NOERROR;
                }
            }
            return MIXERR_INVALCONTROL;
        }
        case MIXER_GETLINECONTROLSF_ALL: {
            const LineDesc* line = findLine(layout, controls->dwLineID);
            if (!line) return MIXERR_INVALLINE;
            if (controls->cControls != line->controls.size()) return MMSYSERR_INVALPARAM;
            auto* out = reinterpret_cast<BYTE*>(controls->pamxctrl);
            for (const ControlDesc& control : line->controls) {
                fillControl(control, reinterpret_cast<MIXERCONTROLA*>(out));
                out += controls->cbmxctrl;
            }
            return MMSYSERR_NOERROR;
        }
        default:
            return MMSYSERR_INVALFLAG;
    }
}

MMRESULT mixerGetControlDetailsA(HMIXEROBJ object, MIXERCONTROLDETAILS* details, DWORD flags) {
    if (!details || details->cbStruct < sizeof(MIXERCONTROLDETAILS) || !details->paDetails) return MMSYSERR_INVALPARAM;
    UINT mixer;
    if (!mixerOf(object, flags, mixer)) return MMSYSERR_INVALHANDLE;
    MixerLayout layout = layoutOf(mixer);
    const LineDesc* line = nullptr;
    const ControlDesc* control = findControl(layout, details->dwControlID, &line);
    if (!control) return MIXERR_INVALCONTROL;
    AudioBackend& backend = AudioBackend::instance();
    DWORD query = flags & MIXER_GETCONTROLDETAILSF_QUERYMASK;

    if (control->type == MIXERCONTROL_CONTROLTYPE_MUX) {
        auto count = static_cast<DWORD>(layout.recordLines.size());
        if (details->cMultipleItems != count || details->cChannels != 1) return MMSYSERR_INVALPARAM;
        if (query == MIXER_GETCONTROLDETAILSF_LISTTEXT) {
            if (!detailsFit(details, sizeof(MIXERCONTROLDETAILS_LISTTEXTA), count)) return MMSYSERR_INVALPARAM;
            auto* out = reinterpret_cast<BYTE*>(details->paDetails);
            for (DWORD i = 0; i < count; ++i) {
                auto* text = reinterpret_cast<MIXERCONTROLDETAILS_LISTTEXTA*>(out + i * details->cbDetails);
                text->dwParam1 = kFirstRecordSource + i;
                text->dwParam2 = layout.recordLines[i].componentType;
                copyText(text->szName, sizeof text->szName, layout.recordLines[i].name);
            }
            return MMSYSERR_NOERROR;
        }
        if (query != MIXER_GETCONTROLDETAILSF_VALUE) return MMSYSERR_INVALFLAG;
        if (!detailsFit(details, sizeof(MIXERCONTROLDETAILS_BOOLEAN), count)) return MMSYSERR_INVALPARAM;
        int current = 0;
        if (!backend.recordLine(static_cast<unsigned>(layout.input), current)) return MMSYSERR_ERROR;
        auto* out = reinterpret_cast<BYTE*>(details->paDetails);
        for (DWORD i = 0; i < count; ++i) {
            reinterpret_cast<MIXERCONTROLDETAILS_BOOLEAN*>(out + i * details->cbDetails)->fValue =
                static_cast<int>(i) == current ? 1 : 0;
        }
        return MMSYSERR_NOERROR;
    }
    if (query != MIXER_GETCONTROLDETAILSF_VALUE) return MMSYSERR_INVALFLAG;
    if (details->cChannels != 1 && details->cChannels != line->channels) return MMSYSERR_INVALPARAM;
    OutputLine outputLine = line->id == kWaveLine ? OutputLine::Wave : OutputLine::Master;

    if (control->type == MIXERCONTROL_CONTROLTYPE_MUTE) {
        if (!detailsFit(details, sizeof(MIXERCONTROLDETAILS_BOOLEAN), 1)) return MMSYSERR_INVALPARAM;
        bool mute = false;
        if (!backend.outputMute(static_cast<unsigned>(layout.output), outputLine, mute)) return MMSYSERR_ERROR;
        auto* out = reinterpret_cast<BYTE*>(details->paDetails);
        for (DWORD c = 0; c < details->cChannels; ++c) {
            reinterpret_cast<MIXERCONTROLDETAILS_BOOLEAN*>(out + c * details->cbDetails)->fValue = mute ? 1 : 0;
        }
        return MMSYSERR_NOERROR;
    }
    if (!detailsFit(details, sizeof(MIXERCONTROLDETAILS_UNSIGNED), 1)) return MMSYSERR_INVALPARAM;
    ChannelVolume volume;
    if (line->id >= kFirstRecordSource) {
        DWORD value = 0;
        if (!backend.recordLineVolume(static_cast<unsigned>(layout.input), static_cast<int>(line->id - kFirstRecordSource),
                                      value)) {
            return MMSYSERR_ERROR;
        }
        volume.channels = 1;
        volume.value[0] = value;
    } else if (!backend.outputVolume(static_cast<unsigned>(layout.output), outputLine, volume)) {
        return MMSYSERR_ERROR;
    }
    auto* out = reinterpret_cast<BYTE*>(details->paDetails);
    if (details->cChannels == 1) {
        // One channel asked of a stereo line: the louder channel, as a uniform value.
        reinterpret_cast<MIXERCONTROLDETAILS_UNSIGNED*>(out)->dwValue =
            volume.channels == 2 ? std::max(volume.value[0], volume.value[1]) : volume.value[0];
    } else {
        for (DWORD c = 0; c < details->cChannels; ++c) {
            reinterpret_cast<MIXERCONTROLDETAILS_UNSIGNED*>(out + c * details->cbDetails)->dwValue =
                volume.value[c < volume.channels ? c : 0];
        }
    }
    return MMSYSERR_NOERROR;
}

MMRESULT mixerSetControlDetails(HMIXEROBJ object, MIXERCONTROLDETAILS* details, DWORD flags) {
    if (!details || details->cbStruct < sizeof(MIXERCONTROLDETAILS) || !details->paDetails) return MMSYSERR_INVALPARAM;
    if ((flags & MIXER_SETCONTROLDETAILSF_QUERYMASK) != MIXER_SETCONTROLDETAILSF_VALUE) return MMSYSERR_INVALFLAG;
    UINT mixer;
    if (!mixerOf(object, flags, mixer)) return MMSYSERR_INVALHANDLE;
    MixerLayout layout = layoutOf(mixer);
    const LineDesc* line = nullptr;
    const ControlDesc* control = findControl(layout, details->dwControlID, &line);
    if (!control) return MIXERR_INVALCONTROL;
    AudioBackend& backend = AudioBackend::instance();
    const auto* in = reinterpret_cast<const BYTE*>(details->paDetails);

    if (control->type == MIXERCONTROL_CONTROLTYPE_MUX) {
        auto count = static_cast<DWORD>(layout.recordLines.size());
        if (details->cMultipleItems != count || details->cChannels != 1 ||
            !detailsFit(details, sizeof(MIXERCONTROLDETAILS_BOOLEAN), count)) {
            return MMSYSERR_INVALPARAM;
        }
        int chosen = -1;
        for (DWORD i = 0; i < count; ++i) {
            if (reinterpret_cast<const MIXERCONTROLDETAILS_BOOLEAN*>(in + i * details->cbDetails)->fValue) {
                if (chosen >= 0) return MIXERR_INVALVALUE;  // a MUX selects exactly one source
                chosen = static_cast<int>(i);
            }
        }
        if (chosen < 0) return MIXERR_INVALVALUE;
        return backend.setRecordLine(static_cast<unsigned>(layout.input), chosen) ? MMSYSERR_NOERROR : MMSYSERR_ERROR;
    }
    if (details->cChannels != 1 && details->cChannels != line->channels) return MMSYSERR_INVALPARAM;
    OutputLine outputLine = line->id == kWaveLine ? OutputLine::Wave : OutputLine::Master;
    if (control->type == MIXERCONTROL_CONTROLTYPE_MUTE) {
        if (!detailsFit(details, sizeof(MIXERCONTROLDETAILS_BOOLEAN), 1)) return MMSYSERR_INVALPARAM;
        bool mute = reinterpret_cast<const MIXERCONTROLDETAILS_BOOLEAN*>(in)->fValue != 0;
        return backend.setOutputMute(static_cast<unsigned>(layout.output), outputLine, mute) ? MMSYSERR_NOERROR
                                                                                              : MMSYSERR_ERROR;
    }
    if (!detailsFit(details, sizeof(MIXERCONTROLDETAILS_UNSIGNED), 1)) return MMSYSERR_INVALPARAM;
    ChannelVolume volume;
    volume.channels = line->channels;
    for (DWORD c = 0; c < line->channels; ++c) {
        DWORD from = details->cChannels == 1 ? 0 : c;
        volume.value[c] =
            std::min(reinterpret_cast<const MIXERCONTROLDETAILS_UNSIGNED*>(in + from * details->cbDetails)->dwValue,
                     kMaxVolume);
    }
    bool ok = line->id >= kFirstRecordSource
                  ? backend.setRecordLineVolume(static_cast<unsigned>(layout.input),
                                                static_cast<int>(line->id - kFirstRecordSource), volume.value[0])
                  : backend.setOutputVolume(static_cast<unsigned>(layout.output), outputLine, volume);
    return ok ? MMSYSERR_NOERROR : MMSYSERR_ERROR;
}
