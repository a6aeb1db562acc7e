#include "audio/output_volume_mixer.h"

#include "audio/wave_devices.h"
#include "wavedeck_win.h"

namespace wd {

OutputVolumeMixer& OutputVolumeMixer::instance() {
    static auto* mixer = new OutputVolumeMixer;
    return *mixer;
}

void OutputVolumeMixer::open(HWND window) {
    HWND callback = IsWindow(window) ? window : nullptr;
    int device = WaveDevices::instance().waveOut();
    masterVolume_.open(device, callback, MIXERLINE_COMPONENTTYPE_DST_SPEAKERS, 0);
    masterMute_.open(device, callback, MIXERLINE_COMPONENTTYPE_DST_SPEAKERS, 0);
    waveVolume_.open(device, callback, MIXERLINE_COMPONENTTYPE_DST_SPEAKERS, MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT);
    waveMute_.open(device, callback, MIXERLINE_COMPONENTTYPE_DST_SPEAKERS, MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT);
    opened_ = true;
}

void OutputVolumeMixer::openIfNever() {
    if (!opened_) open(nullptr);
}

const MixerMute* OutputVolumeMixer::muteOf(int index) const {
    return index == 0 ? &masterMute_ : index == 1 ? &waveMute_ : nullptr;
}

const MixerVolume* OutputVolumeMixer::volumeOf(int index) const {
    return index == 0 ? &masterVolume_ : index == 1 ? &waveVolume_ : nullptr;
}

int OutputVolumeMixer::mute(int index) const {
    const MixerMute* control = muteOf(index);
    return control && control->get() == 0 ? 0 : 1;
}

void OutputVolumeMixer::setMute(int index, bool mute) const {
    if (const MixerMute* control = muteOf(index)) control->set(mute);
}

void OutputVolumeMixer::volume(int index, int* left, int* right) const {
    const MixerVolume* control = volumeOf(index);
    if (!control || !control->isOpen()) return;
    int l = -1;
    int r = -1;
    control->get(l, r);
    if (left) *left = l;
    if (right) *right = r;
}

void OutputVolumeMixer::setVolume(int index, int left, int right) const {
    if (const MixerVolume* control = volumeOf(index)) control->set(left, right);
}

void OutputVolumeMixer::range(int index, int* minimum, int* maximum) const {
    const MixerVolume* control = volumeOf(index);
    if (!control) return;
    if (minimum) *minimum = control->minimum();
    if (maximum) *maximum = control->maximum();
}

}  // namespace wd
