#include "audio/mixer_volume.h"

#include <algorithm>

namespace wd {

bool MixerVolume::open(int mixerNumber, HWND window, DWORD destinationType, DWORD sourceType) {
    found_ = false;
    controlId_ = 0;
    if (!openMixer(mixerNumber, window)) return false;
    MIXERLINEA line;
    MIXERCONTROLA control;
    if (!findLine(destinationType, sourceType, line) ||
        !findControl(line.dwLineID, MIXERCONTROL_CONTROLTYPE_VOLUME, control)) {
        return false;
    }
    controlId_ = control.dwControlID;
    channels_ = std::clamp<DWORD>(line.cChannels, 1, 2);
    minimum_ = static_cast<int>(control.Bounds.dwMinimum);
    maximum_ = static_cast<int>(control.Bounds.dwMaximum);
    name_ = control.szName;
    found_ = true;
    return true;
}

bool MixerVolume::get(int& left, int& right) const {
    left = -1;
    right = -1;
    MIXERCONTROLDETAILS_UNSIGNED values[2] = {};
    if (!found_ || !readValues(controlId_, channels_, 0, values)) return false;
    left = static_cast<int>(values[0].dwValue);
    if (channels_ == 2) right = static_cast<int>(values[1].dwValue);
    return true;
}

bool MixerVolume::set(int left, int right) const {
    MIXERCONTROLDETAILS_UNSIGNED values[2] = {{static_cast<DWORD>(std::clamp(left, minimum_, maximum_))},
                                              {static_cast<DWORD>(std::clamp(right, minimum_, maximum_))}};
    return found_ && writeValues(controlId_, channels_, 0, values);
}

}  // namespace wd
