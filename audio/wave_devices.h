// The wave-in and wave-out devices that recording, playback and the mixers use.
#pragma once

#include <atomic>

#include "audio/device_windows.h"

namespace wd {

/**
 * Device numbers are as the system counts them; -1 is the default device (the wave
 * mapper). No range test is made: a number beyond the list makes opening fail. The
 * player and recorder read the numbers when they open a device, so a running play or
 * recording keeps its device until it starts again. One per process; the setters run on
 * the user-interface thread, the numbers may be read from any thread.
 */
class WaveDevices {
public:
    /** Made on first use: each number is 0 when the system has such a device, else -1. */
    static WaveDevices& instance();
    virtual ~WaveDevices() = default;

    int waveIn() const { return waveIn_; }
    int waveOut() const { return waveOut_; }

    /** A new number is stored, the recording lines are opened again with the ruler
     * window as callback window, and NotifyWaveInDeviceChanged is posted to the
     * record-notify window. The number already chosen changes nothing. */
    void setWaveIn(int device);
    /** A new number is stored, the output controls are opened again with the main
     * window as callback window (none when it is not a window), and
     * NotifyWaveOutDeviceChanged is posted to every registered host window. The number
     * already chosen changes nothing. */
    void setWaveOut(int device);

    /** The windows notifications go to (not owned; null for none). */
    void setWindows(const DeviceWindows* windows) { windows_ = windows; }

private:
    WaveDevices();

    std::atomic<int> waveIn_;
    std::atomic<int> waveOut_;
    const DeviceWindows* windows_ = nullptr;
};

}  // namespace wd
