#include "audio/record_line_mixer.h"

#include <algorithm>
#include <cstring>

#include "audio/wave_devices.h"

namespace wd {

RecordLineMixer& RecordLineMixer::instance() {
    static auto* mixer = new RecordLineMixer;
    return *mixer;
}

bool RecordLineMixer::open(HWND window) {
    opened_ = true;
    lines_.clear();
    selectorId_ = 0;
    itemCount_ = 0;
    if (!openMixer(WaveDevices::instance().waveIn(), window)) return false;
    MIXERLINEA destination;
    MIXERCONTROLA selector;
    if (!findLine(MIXERLINE_COMPONENTTYPE_DST_WAVEIN, 0, destination) ||
        (!findControl(destination.dwLineID, MIXERCONTROL_CONTROLTYPE_MUX, selector) &&
         !findControl(destination.dwLineID, MIXERCONTROL_CONTROLTYPE_MIXER, selector))) {
        closeMixer();
        return false;
    }
    selectorId_ = selector.dwControlID;
    itemCount_ = selector.cMultipleItems;

    std::vector<MIXERCONTROLDETAILS_LISTTEXTA> texts(itemCount_);
    MIXERCONTROLDETAILS details{};
    details.cbStruct = sizeof details;
    details.dwControlID = selectorId_;
    details.cChannels = 1;
    details.cMultipleItems = itemCount_;
    details.cbDetails = sizeof(MIXERCONTROLDETAILS_LISTTEXTA);
    details.paDetails = texts.data();
    if (itemCount_ == 0 ||
        mixerGetControlDetailsA(object(), &details, MIXER_OBJECTF_HMIXER | MIXER_GETCONTROLDETAILSF_LISTTEXT) !=
            MMSYSERR_NOERROR) {
        return true;
    }
    for (const MIXERCONTROLDETAILS_LISTTEXTA& text : texts) {
        RecLine line;
        line.lineId = text.dwParam1;
        line.name.assign(text.szName, strnlen(text.szName, sizeof text.szName - 1));
        MIXERCONTROLA volume;
        if (findControl(text.dwParam1, MIXERCONTROL_CONTROLTYPE_VOLUME, volume)) {
            line.minimum = volume.Bounds.lMinimum;
            line.maximum = volume.Bounds.lMaximum;
            line.volumeControlId = volume.dwControlID;
        }
        lines_.push_back(std::move(line));
    }
    return true;
}

void RecordLineMixer::openIfNever() {
    if (!opened_) open(nullptr);
}

std::string RecordLineMixer::name(int index) const {
    return index >= 0 && index < count() ? lines_[static_cast<size_t>(index)].name : std::string();
}

const RecLine* RecordLineMixer::currentLine() const {
    return current_ >= 0 && current_ < count() ? &lines_[static_cast<size_t>(current_)] : nullptr;
}

int RecordLineMixer::readCurrentLine() {
    std::vector<MIXERCONTROLDETAILS_BOOLEAN> values(itemCount_);
    current_ = 0;
    if (itemCount_ > 0 && readValues(selectorId_, 1, itemCount_, values.data())) {
        auto selected = std::find_if(values.begin(), values.end(), [](const auto& v) { return v.fValue != 0; });
        if (selected != values.end()) current_ = static_cast<int>(selected - values.begin());
    }
    return current_;
}

bool RecordLineMixer::setCurrentLine(int index) {
    if (index < 0 || static_cast<DWORD>(index) >= itemCount_) return false;
    std::vector<MIXERCONTROLDETAILS_BOOLEAN> values(itemCount_);
    values[static_cast<size_t>(index)].fValue = 1;
    if (!writeValues(selectorId_, 1, itemCount_, values.data())) return false;
    current_ = index;
    return true;
}

int RecordLineMixer::currentMinimum() const {
    const RecLine* line = currentLine();
    return line ? line->minimum : 0;
}

int RecordLineMixer::currentMaximum() const {
    const RecLine* line = currentLine();
    return line ? line->maximum : 0;
}

int RecordLineMixer::currentValue() const {
    const RecLine* line = currentLine();
    MIXERCONTROLDETAILS_UNSIGNED value{};
    if (!line || !line->volumeControlId || !readValues(line->volumeControlId, 1, 0, &value)) return 0;
    return static_cast<int>(value.dwValue);
}

bool RecordLineMixer::setCurrentValue(int value) const {
    const RecLine* line = currentLine();
    if (!line || !line->volumeControlId) return false;
    MIXERCONTROLDETAILS_UNSIGNED detail{static_cast<DWORD>(std::clamp<LONG>(value, line->minimum, line->maximum))};
    return writeValues(line->volumeControlId, 1, 0, &detail);
}

}  // namespace wd
