// Mixer and device exports: the output volume, the recording lines and the wave devices.
#include <cstring>

#include "audio/output_volume_mixer.h"
#include "audio/record_line_mixer.h"
#include "audio/wave_devices.h"
#include "platform/audio/winmm.h"
#include "wavedeck.h"

int WDXGetVolMute(int line) {
    wd::OutputVolumeMixer& mixer = wd::OutputVolumeMixer::instance();
    mixer.openIfNever();
    return mixer.mute(line);
}

void WDXSetVolMute(int line, int mute) {
    wd::OutputVolumeMixer& mixer = wd::OutputVolumeMixer::instance();
    mixer.openIfNever();
    mixer.setMute(line, mute != 0);
}

void WDXGetVolVol(int line, int* left, int* right) {
    wd::OutputVolumeMixer& mixer = wd::OutputVolumeMixer::instance();
    mixer.openIfNever();
    mixer.volume(line, left, right);
}

void WDXSetVolVol(int line, int left, int right) {
    wd::OutputVolumeMixer& mixer = wd::OutputVolumeMixer::instance();
    mixer.openIfNever();
    mixer.setVolume(line, left, right);
}

void WDXGetVolMinMax(int line, int* minimum, int* maximum) {
    wd::OutputVolumeMixer& mixer = wd::OutputVolumeMixer::instance();
    mixer.openIfNever();
    mixer.range(line, minimum, maximum);
}

int WDXGetRecLineCount(void) {
    wd::RecordLineMixer& mixer = wd::RecordLineMixer::instance();
    mixer.openIfNever();
    return mixer.count();
}

int WDXGetRecLineName(int line, char* buffer) {
    wd::RecordLineMixer& mixer = wd::RecordLineMixer::instance();
    mixer.openIfNever();
    if (buffer) {
        std::string name = mixer.name(line);
        std::memcpy(buffer, name.c_str(), name.size() + 1);
    }
    return 0;
}

int WDXGetRecCurLine(void) {
    wd::RecordLineMixer& mixer = wd::RecordLineMixer::instance();
    mixer.openIfNever();
    return mixer.readCurrentLine();
}

int WDXSetRecCurLine(int line) {
    wd::RecordLineMixer& mixer = wd::RecordLineMixer::instance();
    mixer.openIfNever();
    return mixer.setCurrentLine(line) ? 1 : 0;
}

int WDXGetRecLineMin(void) {
    wd::RecordLineMixer& mixer = wd::RecordLineMixer::instance();
    mixer.openIfNever();
    return mixer.currentMinimum();
}

int WDXGetRecLineMax(void) {
    wd::RecordLineMixer& mixer = wd::RecordLineMixer::instance();
    mixer.openIfNever();
    return mixer.currentMaximum();
}

int WDXGetRecCurLineValue(void) {
    wd::RecordLineMixer& mixer = wd::RecordLineMixer::instance();
    mixer.openIfNever();
    return mixer.currentValue();
}

int WDXSetRecCurLineValue(int value) {
    wd::RecordLineMixer& mixer = wd::RecordLineMixer::instance();
    mixer.openIfNever();
    return mixer.setCurrentValue(value) ? 1 : 0;
}

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
