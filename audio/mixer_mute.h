// The mute switch of one mixer line.
#pragma once

#include "audio/mixer_control.h"

namespace wd {

/** User-interface thread. */
class MixerMute final : public MixerControl {
public:
    /** Opens mixer `mixerNumber` with the callback window and finds the mute control of
     * the destination of type destinationType or, when sourceType is not 0, of its first
     * connection of that type. False (and no control) when any step fails. */
    bool open(int mixerNumber, HWND window, DWORD destinationType, DWORD sourceType);
    /** 1 muted, 0 not, -1 when it cannot be read. */
    int get() const;
    bool set(bool mute) const;

private:
    DWORD controlId_ = 0;
    bool found_ = false;
};

}  // namespace wd
