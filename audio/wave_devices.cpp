#include "audio/wave_devices.h"

#include "audio/output_volume_mixer.h"
#include "audio/record_line_mixer.h"
#include "platform/audio/winmm.h"
#include "services/host_windows.h"
#include "services/library_windows.h"
#include "wavedeck_messages.h"
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
    RecordLineMixer::instance().open(LibraryWindows::instance().window(LibraryWindows::Which::Ruler));
    PostMessageA(HostWindows::instance().recordNotifyWindow(), NotifyWaveInDeviceChanged, 0, 0);
}

void WaveDevices::setWaveOut(int device) {
    if (device == waveOut_) return;
    waveOut_ = device;
    OutputVolumeMixer::instance().open(LibraryWindows::instance().window(LibraryWindows::Which::Main));
    HostWindows::instance().broadcast(NotifyWaveOutDeviceChanged);
}

}  // namespace wd
