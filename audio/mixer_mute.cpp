#include "audio/mixer_mute.h"

namespace wd {

bool MixerMute::open(int mixerNumber, HWND window, DWORD destinationType, DWORD sourceType) {
    found_ = false;
    controlId_ = 0;
    if (!openMixer(mixerNumber, window)) return false;
    MIXERLINEA line;
    MIXERCONTROLA control;
    if (!findLine(destinationType, sourceType, line) ||
        !findControl(line.dwLineID, MIXERCONTROL_CONTROLTYPE_MUTE, control)) {
        return false;
    }
    controlId_ = control.dwControlID;
    found_ = true;
    return true;
}

int MixerMute::get() const {
    MIXERCONTROLDETAILS_BOOLEAN value{};
    if (!found_ || !readValues(controlId_, 1, 0, &value)) return -1;
    return value.fValue ? 1 : 0;
}

bool MixerMute::set(bool mute) const {
    MIXERCONTROLDETAILS_BOOLEAN value{mute ? 1 : 0};
    return found_ && writeValues(controlId_, 1, 0, &value);
}

}  // namespace wd
