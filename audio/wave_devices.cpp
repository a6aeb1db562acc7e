#include "audio/wave_devices.h"

#include <cstring>

#include "audio/device_messages.h"
#include "audio/output_volume_mixer.h"
#include "audio/record_line_mixer.h"
#include "platform/audio/winmm.h"
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
