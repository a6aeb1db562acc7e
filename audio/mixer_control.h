// One open system mixer handle with its callback window: the base of the mixer objects.
#pragma once

#include "platform/audio/winmm.h"

namespace wd {

/**
 * A mixer handle opened with CALLBACK_WINDOW, so that control changes made anywhere are
 * posted to the window as MM_MIXM_CONTROL_CHANGE (or with CALLBACK_NULL when there is no
 * window). The handle is closed by the destructor. User-interface thread.
 */
class MixerControl {
public:
    MixerControl() = default;
    virtual ~MixerControl();
    MixerControl(const MixerControl&) = delete;
    MixerControl& operator=(const MixerControl&) = delete;

    bool isOpen() const { return handle_ != nullptr; }
    HWND callbackWindow() const { return window_; }

protected:
    /** Closes an open handle, keeps the window, and opens mixer `number` (a device number
     * or -1 for the default devices). */
    bool openMixer(int number, HWND window);
    void closeMixer();
    /** A line of the mixer by component type; for a source type, the first connection of
     * the destination `destinationType` with that type. */
    bool findLine(DWORD destinationType, DWORD sourceType, MIXERLINEA& line) const;
    /** The line's first control of the type. */
    bool findControl(DWORD lineId, DWORD controlType, MIXERCONTROLA& control) const;
    /** Reads or writes `channels` unsigned or boolean values (4 bytes each). */
    bool readValues(DWORD controlId, DWORD channels, DWORD items, void* values) const;
    bool writeValues(DWORD controlId, DWORD channels, DWORD items, void* values) const;
    HMIXEROBJ object() const { return reinterpret_cast<HMIXEROBJ>(handle_); }

    HMIXER handle_ = nullptr;
    HWND window_ = nullptr;
};

}  // namespace wd
