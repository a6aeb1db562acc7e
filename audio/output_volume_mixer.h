// Master and wave mute and volume of the chosen wave-out device.
#pragma once

#include "audio/mixer_mute.h"
#include "audio/mixer_volume.h"

namespace wd {

/**
 * Four controls, each on its own mixer handle opened on the wave-out device's number:
 * master mute and volume (the speakers destination), wave mute and volume (its wave-out
 * source). Index 0 is master, 1 wave. One per process; user-interface thread.
 */
class OutputVolumeMixer {
public:
    static OutputVolumeMixer& instance();
    virtual ~OutputVolumeMixer() = default;

    /** (Re)opens the four controls on the current wave-out device with the window as
     * callback window, or with none when it is not a window. */
    void open(HWND window);
    /** Opens without a callback window unless open() ran before, so the exports work
     * before the main window exists. */
    void openIfNever();

    /** 1 when muted or unreadable, 0 otherwise; other indices give 1. */
    int mute(int index) const;
    void setMute(int index, bool mute) const;
    /** For index 0 or 1 with an open control: -1 both, then the values read (right only
     * on a two-channel line). Otherwise nothing is written. Null outputs are skipped. */
    void volume(int index, int* left, int* right) const;
    void setVolume(int index, int left, int right) const;
    /** The range found when the control was opened (0, 0 when none); null outputs are
     * skipped; other indices write nothing. */
    void range(int index, int* minimum, int* maximum) const;

private:
    OutputVolumeMixer() = default;
    const MixerMute* muteOf(int index) const;
    const MixerVolume* volumeOf(int index) const;

    MixerMute masterMute_;
    MixerVolume masterVolume_;
    MixerMute waveMute_;
    MixerVolume waveVolume_;
    bool opened_ = false;
};

}  // namespace wd
