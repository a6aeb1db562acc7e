// The clipboard and the cut, copy and paste workers.
#pragma once

#include <atomic>
#include <memory>
#include <thread>

#include "model/busy_tracks.h"
#include "model/channel.h"
#include "model/track.h"
#include "wavedeck_types.h"

namespace wd {

/** How a paste puts the clipboard into the track at its selection start. */
enum class PasteMode {
    Overwrite,  // replaces as many samples as the clipboard holds
    Mix,        // adds the clipboard to the samples there, clamped to -1.0 .. 1.0
    Insert,     // inserts the clipboard and pushes the rest of the track later
};

/**
 * Process-wide owner of the clipboard (one or two channels of their own blocks, taken at
 * clipSampleRate()) and runner of the cut, copy and paste workers, one at a time.
 *
 * The operations are called on the user-interface thread. Each takes everything its
 * worker needs from the track there (selections, flags, positions), claims the track
 * (TrackClaim) and starts the worker, which then touches only the track's sequences and
 * the clipboard. The worker posts NotifyEditProgress (percent) to the progress window
 * after each chunk; at its end it releases the claim, posts MsgEditFinished (wParam the
 * track id) to the library's main window when the track changed, so that the views are
 * refreshed on the user-interface thread, and then NotifyEditDone to the progress window.
 * By then the next edit may start.
 */
class EditEngine {
public:
    static EditEngine& instance();

    /** Remembers the track for canCutOrCopy(). @returns false (nothing changes) for null. */
    bool setTarget(Track* track);
    /** Whether the target track has a selection to cut or copy: channel 0 (or else, in a
     * stereo track, channel 1) is selected, starts before its last sample and is not empty. */
    bool canCutOrCopy() const;
    bool hasClipboard() const { return hasClipboard_.load(); }

    /**
     * Cut: saves an undo state (the redo states stay), sets every channel's selection
     * length to 0 and starts the worker that moves the selected channels' selections to
     * the clipboard and removes every channel's selection from the track.
     * @returns 0, or -1 (nothing started, nothing saved) for a null track, while a worker
     *          of the engine runs or when another worker holds the track.
     */
    int cut(Track* track, HWND progressWindow);
    /** Copy: as cut(), without the undo state and without changing the track. */
    int copy(Track* track, HWND progressWindow);
    /**
     * Paste in the mode: saves an undo state and clears the redo states, then starts the
     * worker. With an empty clipboard nothing is saved or written and NotifyEditDone is
     * posted at once. @returns as cut().
     */
    int paste(Track* track, HWND progressWindow, PasteMode mode);

    /** True from the start of a worker until it has released its track. */
    bool workerRunning() const { return running_.load(); }
    /** Waits for the worker to end (none: returns at once). */
    void waitForWorker();
    /** The exit step: waits for the worker, then destroys the clipboard channels
     * (releasing their blocks). */
    void clearClipboard();

    /** The clipboard, for inspection while no worker runs. */
    int clipChannelCount() const { return clipChannelCount_; }
    int clipSampleRate() const { return clipSampleRate_; }
    const Channel* clipChannel(int i) const;

private:
    struct ClipJob;
    struct PasteJob;

    EditEngine() = default;

    // Starts run(job) on the worker thread. False (the claim in job released) when the
    // thread cannot be made.
    template <typename Job>
    bool startWorker(Job job, void (EditEngine::*run)(Job&));
    int startClip(Track* track, HWND progressWindow, bool cut);
    void runClip(ClipJob& job);
    void runPaste(PasteJob& job);
    // Writes the clipboard through the open splices (a null target is skipped).
    void writePaste(const PasteJob& job, Sequence* (&targets)[2]);
    PasteJob planPaste(Track& track, PasteMode mode) const;
    void finish(TrackClaim& claim, uint32_t trackId, bool trackChanged, HWND progressWindow);

    Track* targetTrack_ = nullptr;
    std::unique_ptr<Channel> clip_[2];
    int clipChannelCount_ = 0;
    int clipSampleRate_ = 0;
    std::atomic<bool> hasClipboard_{false};
    std::atomic<bool> running_{false};
    std::thread worker_;
};

}  // namespace wd
