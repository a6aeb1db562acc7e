// The wave-in and wave-out devices that recording, playback and the mixers use.
#pragma once

#include <atomic>

namespace wd {

/**
 * Device numbers are as the system counts them; -1 is the default device (the wave
 * mapper). No range test is made: a number beyond the list makes opening fail. The
 * player and recorder read the numbers when they open a device, so a running play or
 * recording keeps its device until it starts again. One per process; the setters run on
 * the user-interface thread, the numbers may be read from any thread.
 *
 * The windows that hear of a change are the library's own (LibraryWindows: the main
 * window for the output controls, the ruler for the recording lines) and the host's
 * (HostWindows), as they are at the time of the change; a window not made yet hears
 * nothing.
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

private:
    WaveDevices();

    std::atomic<int> waveIn_;
    std::atomic<int> waveOut_;
};

}  // namespace wd
