#include "audio/mixer_control.h"

namespace wd {

MixerControl::~MixerControl() { closeMixer(); }

void MixerControl::closeMixer() {
    if (handle_) mixerClose(handle_);
    handle_ = nullptr;
}

bool MixerControl::openMixer(int number, HWND window) {
    closeMixer();
    window_ = window;
    if (mixerGetNumDevs() == 0) return false;
    HMIXER opened = nullptr;
    DWORD flags = (window ? CALLBACK_WINDOW : CALLBACK_NULL) | MIXER_OBJECTF_MIXER;
    if (mixerOpen(&opened, static_cast<UINT>(number), reinterpret_cast<DWORD_PTR>(window), 0, flags) !=
        MMSYSERR_NOERROR) {
        return false;
    }
    handle_ = opened;
    return true;
}

bool MixerControl::findLine(DWORD destinationType, DWORD sourceType, MIXERLINEA& line) const {
    line = {};
    line.cbStruct = sizeof line;
    line.dwComponentType = destinationType;
    if (mixerGetLineInfoA(object(), &line, MIXER_OBJECTF_HMIXER | MIXER_GETLINEINFOF_COMPONENTTYPE) !=
        MMSYSERR_NOERROR) {
        return false;
    }
    if (sourceType == 0) return true;
    DWORD destination = line.dwDestination;
    DWORD connections = line.cConnections;
    for (DWORD source = 0; source < connections; ++source) {
        line = {};
        line.cbStruct = sizeof line;
        line.dwDestination = destination;
        line.dwSource = source;
        if (mixerGetLineInfoA(object(), &line, MIXER_OBJECTF_HMIXER | MIXER_GETLINEINFOF_SOURCE) ==
                MMSYSERR_NOERROR &&
            line.dwComponentType == sourceType) {
            return true;
        }
    }
    return false;
}

bool MixerControl::findControl(DWORD lineId, DWORD controlType, MIXERCONTROLA& control) const {
    control = {};
    control.cbStruct = sizeof control;
    MIXERLINECONTROLSA controls{};
    controls.cbStruct = sizeof controls;
    controls.dwLineID = lineId;
    controls.dwControlType = controlType;
    controls.cControls = 1;
    controls.cbmxctrl = sizeof control;
    controls.pamxctrl = &control;
    return mixerGetLineControlsA(object(), &controls, MIXER_OBJECTF_HMIXER | MIXER_GETLINECONTROLSF_ONEBYTYPE) ==
           MMSYSERR_NOERROR;
}

bool MixerControl::readValues(DWORD controlId, DWORD channels, DWORD items, void* values) const {
    if (!handle_) return false;
    MIXERCONTROLDETAILS details{};
    details.cbStruct = sizeof details;
    details.dwControlID = controlId;
    details.cChannels = channels;
    details.cMultipleItems = items;
    details.cbDetails = sizeof(DWORD);
    details.paDetails = values;
    return mixerGetControlDetailsA(object(), &details, MIXER_OBJECTF_HMIXER | MIXER_GETCONTROLDETAILSF_VALUE) ==
           MMSYSERR_NOERROR;
}

bool MixerControl::writeValues(DWORD controlId, DWORD channels, DWORD items, void* values) const {
    if (!handle_) return false;
    MIXERCONTROLDETAILS details{};
    details.cbStruct = sizeof details;
    details.dwControlID = controlId;
    details.cChannels = channels;
    details.cMultipleItems = items;
    details.cbDetails = sizeof(DWORD);
    details.paDetails = values;
    return mixerSetControlDetails(object(), &details, MIXER_OBJECTF_HMIXER | MIXER_SETCONTROLDETAILSF_VALUE) ==
           MMSYSERR_NOERROR;
}

}  // namespace wd
