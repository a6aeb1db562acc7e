#include "audio/wave_devices.h"

#include <cstring>

#include "audio/device_messages.h"
#include "audio/output_volume_mixer.h"
#include "audio/record_line_mixer.h"
#include "platform/audio/winmm.h"
#include "wavedeck.h"
#include "wavedeck_win.h"

namespace wd {

WaveDevices& WaveDevices::instance() {
    static auto* devices = new WaveDevices;
    return *devices;
}

WaveDevices::WaveDevices()
    : waveIn_(waveInGetNumDevs() > 0 ? 0 : -1), waveOut_(waveOutGetNumDevs() > 0 ? 0 : -1) {}

void WaveDevices::setWaveIn(int device) {
    if (device == waveIn_) return;
    waveIn_ = device;
    RecordLineMixer::instance().open(windows_ ? windows_->rulerWindow() : nullptr);
    if (windows_) PostMessageA(windows_->recordNotifyWindow(), kNotifyWaveInDeviceChanged, 0, 0);
}

void WaveDevices::setWaveOut(int device) {
    if (device == waveOut_) return;
    waveOut_ = device;
    OutputVolumeMixer::instance().open(windows_ ? windows_->mainWindow() : nullptr);
    if (!windows_) return;
    for (HWND host : windows_->hostWindows()) PostMessageA(host, kNotifyWaveOutDeviceChanged, 0, 0);
}

}  // namespace wd

// ---- Exports ----

namespace {

/** Copies a product name (at most 31 characters) or an empty text. */
template <class Caps, class GetCaps>
void copyDeviceName(int device, char* buffer, GetCaps getCaps) {
    Caps caps{};
    if (getCaps(static_cast<UINT_PTR>(static_cast<UINT>(device)), &caps, sizeof caps) != MMSYSERR_NOERROR) {
        caps.szPname[0] = 0;
    }
    size_t length = strnlen(caps.szPname, sizeof caps.szPname - 1);
    std::memcpy(buffer, caps.szPname, length);
    buffer[length] = 0;
}

}  // namespace

int WDXGetWaveInDeviceCount(void) {
    wd::WaveDevices::instance();
    return static_cast<int>(waveInGetNumDevs());
}

int WDXGetWaveOutDeviceCount(void) {
    wd::WaveDevices::instance();
    return static_cast<int>(waveOutGetNumDevs());
}

int WDXGetWaveInDevice(void) { return wd::WaveDevices::instance().waveIn(); }
int WDXGetWaveOutDevice(void) { return wd::WaveDevices::instance().waveOut(); }

int WDXSetWaveInDevice(int device) {
    wd::WaveDevices::instance().setWaveIn(device);
    return 1;
}

int WDXSetWaveOutDevice(int device) {
    wd::WaveDevices::instance().setWaveOut(device);
    return 1;
}

int WDXGetWaveInDeviceName(int device, char* buffer) {
    if (!buffer) return 0;
    copyDeviceName<WAVEINCAPSA>(device, buffer, waveInGetDevCapsA);
    return 1;
}

int WDXGetWaveOutDeviceName(int device, char* buffer) {
    if (!buffer) return 0;
    copyDeviceName<WAVEOUTCAPSA>(device, buffer, waveOutGetDevCapsA);
    return 1;
}
