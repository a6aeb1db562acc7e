// Plays a track (or the recording) through the chosen wave-out device.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <vector>

#include "audio/level_meter.h"
#include "audio/play_buffer.h"
#include "platform/audio/winmm.h"
#include "wavedeck_types.h"

namespace wd {

class Track;

/**
 * One per process, made on first use and never destroyed.
 *
 * Converts the track's float samples to 16-bit PCM in three rotating buffers of
 * kBufferBytes, refills each from the device's buffer-done notification, measures the
 * level of every queued buffer for the volume window and posts to its window list:
 * MsgPlayStarted (before the device opens), MsgPlayProgress (a finished buffer was
 * refilled and queued again), MsgPlayRangeEnd (a finished buffer reached the end of the
 * range, or nothing is left queued because the device gave up) and MsgPlayStopped (after
 * a stop). While the recording is played only MsgPlayRangeEnd is posted.
 *
 * Reaching the end does not stop by itself: the main window answers MsgPlayRangeEnd by
 * calling stop(), so every play ends with MsgPlayStopped.
 *
 * Threads: play, stop, pause and resume belong to the user-interface thread. The device
 * callback runs on the device's own thread and refills under the player's lock; the stop
 * flag (set before the device is reset) makes it ignore the buffers a stop returns.
 * isPlaying, isPaused and fillPosition may be read from any thread.
 *
 * The played track must stay alive until the play has stopped: code that destroys a
 * track calls stopPlayingTrack first.
 */
class Player {
public:
    /** Modes of play(). */
    static constexpr int kPlaySelection = 0;
    static constexpr int kPlayToEnd = 1;
    static constexpr int kLoopSelection = 2;
    static constexpr int kBufferCount = 3;
    /** Bytes per buffer: 10240 mono samples or 5120 stereo frames. */
    static constexpr int kBufferBytes = 20480;

    static Player& instance();
    virtual ~Player() = default;

    /** The one listener that receives the measured output levels (null: none). It must
     * live until the process ends. */
    void setLevelListener(LevelListener* listener) { levelListener_.store(listener); }
    Player(const Player&) = delete;
    Player& operator=(const Player&) = delete;

    /**
     * Captures channel 0's selStart and selLength of the track, sets the playing-the-
     * recording flag to `recording`, stops a running play (which posts MsgPlayStopped
     * unless the recording is played now) and starts: selection (mode 0; a cursor plays
     * to the end), from the selection start to the end (1), or the selection looped (2).
     * When the device cannot be opened, or takes none of the buffers, the play is stopped
     * at once (MsgPlayStopped), never left silent in the playing state.
     * @returns false, changing nothing, for another mode or a track without channels;
     * false too, after that stop, when the device refused to open (say, a rate it cannot
     * play), so the caller can tell the user rather than report a play that never sounded.
     */
    bool play(Track& track, int mode, bool recording);
    /** Stops when playing: the device is reset and closed, MsgPlayStopped posted unless
     * the recording was played. @returns whether it stopped. */
    bool stop();
    /** Stops when the play reads `track`; call before destroying any track.
     * @returns whether it stopped. */
    bool stopPlayingTrack(const Track* track);
    /** Pause and resume the device; only while playing. */
    void pause();
    void resume();

    bool isPlaying() const { return playing_.load(); }
    bool isPaused() const { return paused_.load(); }
    /** The next sample index to be read into a buffer. */
    int fillPosition() const { return fillPosition_.load(); }

    bool playingRecording() const { return playingRecording_.load(); }
    void setPlayingRecording(bool recording) { playingRecording_.store(recording); }

    /** Adds a window that receives the messages (wParam 0, lParam 0); a window already in
     * the list is not added again. Any thread. */
    void addWindow(HWND window);

private:
    /** Which channels are played: one-channel track; channel 0 alone; channel 1 alone;
     * both channels interleaved. */
    enum class Layout { Mono = 1, Left = 2, Right = 3, Both = 4 };

    Player() = default;

    static void CALLBACK waveCallback(void* handle, UINT message, DWORD_PTR instance, DWORD_PTR param1,
                                      DWORD_PTR param2);
    /** The device thread's work for a finished buffer. */
    void bufferDone(HWAVEOUT device, WAVEHDR* header);

    // The rest runs with mutex_ held.
    /** The end of the play fill: channel 0's for Mono and Left, channel 1's for Right, the
     * larger for Both. */
    int playEnd() const;
    void fill(PlayBuffer& buffer);
    void playFill(PlayBuffer& buffer);
    void loopFill(PlayBuffer& buffer);
    /** count samples of a channel from start as 16-bit into dst; @returns those delivered. */
    int read(int channel, int16_t* dst, int start, int count) const;
    /** count frames from start into first (one channel: the layout's source) or into
     * first and second (channels 0 and 1), at offset. @returns the most delivered. */
    int readFrames(int16_t* first, int16_t* second, int offset, int start, int count) const;
    /** Piecewise loop fill of a range shorter than a buffer into one or both arrays.
     * @returns the new fill position. */
    int fillPieces(int16_t* first, int16_t* second, int frames, int p, int loopStart, int end) const;
    /** Advances the current index, measures the buffer and queues it. @returns success. */
    bool submit(HWAVEOUT device);
    void post(UINT message);

    std::mutex mutex_;  // everything the refill reads or writes
    Track* track_ = nullptr;
    int mode_ = kPlaySelection;
    Layout layout_ = Layout::Mono;
    WAVEFORMATEX format_{};
    int end0_ = 0;
    int end1_ = 0;
    int endMax_ = 0;
    std::array<PlayBuffer, kBufferCount> buffers_;
    int current_ = kBufferCount - 1;
    /** Buffers handed to the device and not yet back. */
    int queued_ = 0;
    LevelMeter meter_;
    /** Per-channel staging for the two-channel layout (zeroed per buffer). */
    std::array<int16_t, kBufferBytes / 4> left_{};
    std::array<int16_t, kBufferBytes / 4> right_{};

    HWAVEOUT device_ = nullptr;  // user-interface thread only
    std::atomic<bool> stopFlag_{false};
    std::atomic<bool> playing_{false};
    std::atomic<bool> paused_{false};
    std::atomic<bool> playingRecording_{false};
    std::atomic<int> fillPosition_{0};

    std::atomic<LevelListener*> levelListener_{nullptr};

    std::mutex windowsMutex_;
    std::vector<HWND> windows_;
};

}  // namespace wd
