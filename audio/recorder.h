// Records from the chosen wave-in device into a new track: the take.
#pragma once

#include <array>
#include <atomic>
#include <memory>
#include <vector>

#include "audio/play_buffer.h"
#include "audio/record_overview.h"
#include "platform/audio/winmm.h"

namespace wd {

class Track;

/** Shows the take as it grows (the record window). */
class RecordDisplay {
public:
    virtual ~RecordDisplay() = default;
    /** The window that receives MsgRecordStarted, MsgRecordLevel and MsgRecordStopped,
     * or null. Any thread. */
    virtual HWND window() const = 0;
    /** The take's overviews, the second null for one channel; both null when there is no
     * take. They stay valid until the next call. User-interface thread. */
    virtual void setOverviews(RecordOverview* first, RecordOverview* second) = 0;
};

/**
 * One per process, made on first use and never destroyed.
 *
 * A take is a new track named "Untitle<n>" (n the take counter, 1 at first) that is in
 * the track list from its beginning but current nowhere until it is kept. Recorded PCM
 * arrives in kBufferCount rotating buffers of kBufferBytes; each buffer is converted to
 * floats, appended to the track's channels and reduced into the channel's overview, and
 * MsgRecordLevel goes to the display's window, unless one it has not begun to handle is
 * still on its way (the window shows the take as it is when it handles the message, so
 * one message stands for every buffer stored before; a window slower than the device
 * is not flooded). Keeping the take hands the track to the
 * main window with MsgImportComplete and counts the take; discarding removes it, and the
 * next take reuses the name.
 *
 * Formats: PCM, 1 or 2 channels of 8 or 16 bits; 8-bit values v become (v - 128) / 128
 * below 128 and (v - 128) / 127 from 128 on, 16-bit values s become s / 32768 when
 * negative and s / 32767 otherwise.
 *
 * Threads: the exports (user-interface thread) begin, stop, keep and discard; the device
 * callback stores the data on the device's thread. A take ends by itself when the device
 * gives its buffers back unasked (it went away) or a buffer cannot be stored: what was
 * stored stays in the take, ended() turns true and MsgRecordLevel is posted, and the
 * display's window then calls stop() as a host would.
 */
class Recorder {
public:
    static constexpr int kBufferCount = 3;
    static constexpr int kBufferBytes = 22480;

    static Recorder& instance();
    virtual ~Recorder() = default;
    Recorder(const Recorder&) = delete;
    Recorder& operator=(const Recorder&) = delete;

    /** Where takes are shown (not owned; null for nowhere). User-interface thread. */
    void setDisplay(RecordDisplay* display) { display_.store(display); }

    /** The format of the next take: PCM with the channels, rate and bits; block align
     * bits * channels / 8. */
    void setFormat(int channels, int samplesPerSecond, int bitsPerSample);
    const WAVEFORMATEX& format() const { return format_; }

    /**
     * Begins a take: stops a running recording, discards the take held (stopping its play
     * back first), makes the new track and its overviews, opens the chosen wave-in device,
     * queues the buffers, starts the device and posts MsgRecordStarted (MsgRecordLevel
     * waits for it).
     * @returns false when the device refuses the format or cannot be opened or started;
     *          nothing of the new take then remains and nothing is posted. Also false
     *          when a recording runs and its device would not stop: that take stays.
     */
    bool begin();
    /** While recording: resets the device, whose buffers come back with what they hold and
     * are stored, closes it, flushes the channels, finishes the overviews and posts
     * MsgRecordStopped. @returns false when not recording or the device refused (it then
     * goes on recording). */
    bool stop();
    /** Hands the take to the main window (MsgImportComplete, lParam the track) and counts
     * it; the display gets no overviews. @returns false (nothing changes) while recording. */
    bool keep();
    /** Removes the take's track; the display gets no overviews; the count stays. Call when
     * not playing the take. @returns false (nothing changes) while recording. */
    bool discard();

    bool isRecording() const { return recording_.load(); }
    /** The take ended by itself and waits for stop(). Any thread. */
    bool ended() const { return ended_.load(); }
    /** The take's track, or null. User-interface thread. */
    Track* recordedTrack() const { return track_; }
    RecordOverview* overview(int channel) const;
    /** The number the next take's name gets. */
    int takeCounter() const { return takeCounter_; }
    /** Samples per channel stored in the take so far. Any thread. */
    int recordedSamples() const { return recordedSamples_.load(); }
    /** The largest absolute value of the last stored buffer, 0 to 32767. Any thread. */
    int lastPeak() const { return lastPeak_.load(); }
    /** The display's window calls this as it begins to handle MsgRecordLevel: buffers
     * stored from now on post another. */
    void levelShown() { levelPosted_.store(false); }

private:
    Recorder() = default;

    static void CALLBACK waveCallback(void* handle, UINT message, DWORD_PTR instance, DWORD_PTR param1,
                                      DWORD_PTR param2);
    // The device thread's part.
    void bufferDone(HWAVEIN device, WAVEHDR* header);
    /** Converts, appends and reduces; false when the samples could not be stored. */
    bool store(const BYTE* data, int bytes);
    /** Advances the current index and hands that buffer to the device. */
    bool queue(HWAVEIN device);
    /** @returns whether the message went to a window. */
    bool post(UINT message) const;
    /** stop() without its message. */
    bool halt();
    /** Drops the take's overviews and track (the display first gets none). */
    void dropTake();

    WAVEFORMATEX format_{};
    /** The format of the take being made: a new format set meanwhile waits for the next. */
    WAVEFORMATEX takeFormat_{};
    std::atomic<RecordDisplay*> display_{nullptr};
    HWAVEIN device_ = nullptr;  // user-interface thread
    Track* track_ = nullptr;
    std::array<std::unique_ptr<RecordOverview>, 2> overviews_;
    std::array<PlayBuffer, kBufferCount> buffers_;
    int current_ = kBufferCount - 1;
    /** The callback's conversion space: floats of the buffer, then one channel each. */
    std::vector<float> converted_;
    std::array<std::vector<float>, 2> split_;
    int takeCounter_ = 1;
    std::atomic<bool> recording_{false};
    /** Set before the device is reset: buffers that come back partly filled then are the
     * stop's, not a lost device's. */
    std::atomic<bool> stopping_{false};
    std::atomic<bool> ended_{false};
    /** A MsgRecordLevel is posted and its handling has not begun. */
    std::atomic<bool> levelPosted_{false};
    std::atomic<int> recordedSamples_{0};
    std::atomic<int> lastPeak_{0};
};

}  // namespace wd
