// The volume fader of one mixer line.
#pragma once

#include <string>

#include "audio/mixer_control.h"

namespace wd {

/** User-interface thread. */
class MixerVolume final : public MixerControl {
public:
    /** As MixerMute::open, for the line's volume control; keeps its name, range and the
     * line's channel count. */
    bool open(int mixerNumber, HWND window, DWORD destinationType, DWORD sourceType);
    /** Reads the line's channels: left gets the first, right the second on a two-channel
     * line. Both are set to -1 first; false (leaving -1) when it cannot be read. */
    bool get(int& left, int& right) const;
    /** Writes the line's channels with (left, right), each clamped to the range. */
    bool set(int left, int right) const;

    int minimum() const { return minimum_; }
    int maximum() const { return maximum_; }
    DWORD channels() const { return channels_; }
    const std::string& name() const { return name_; }

private:
    DWORD controlId_ = 0;
    bool found_ = false;
    DWORD channels_ = 0;
    int minimum_ = 0;
    int maximum_ = 0;
    std::string name_;
};

}  // namespace wd
