// Base of every writer that saves a Track, or its selection, to a file.
#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "formats/file_problem.h"
#include "model/track.h"
#include "wavedeck_win.h"

namespace wd {

/** Output type numbers of the save exports and the batch converter. */
enum ExportFormat : int { kExportWave = 1, kExportMp3 = 2, kExportWma = 3, kExportOggVorbis = 4 };

/** What the selection of a track puts into a file (see Exporter::selectionRange). */
struct ExportRange {
    int sourceChannel = 0;  // the channel read for one-channel output
    int start = 0;          // first sample
    int count = 0;          // samples per channel
    int channels = 1;       // 2 only when both channels of a stereo track are selected
};

/**
 * A writer runs on one worker thread started by SaveAll or SaveSelection. It posts
 * progress (1144: total samples, samples written) and its end to progressWindow (1145
 * saved, 1146 failed) and to its final window (1445, 1446, or 1444 after a cancel).
 *
 * The worker writes a copy of the track made when the save starts: the copy shares the
 * track's blocks, so the track may be edited or closed while it is saved.
 *
 * Lifetime: the object must outlive its worker; destroying it cancels and waits first.
 * SaveAll, SaveSelection, Cancel and the destructor run on the user-interface thread.
 */
class Exporter {
public:
    virtual ~Exporter();
    Exporter(const Exporter&) = delete;
    Exporter& operator=(const Exporter&) = delete;

    /** Starts writing the whole track to path. @returns false when it cannot start
     * (1146 and 1446 are then posted). */
    virtual bool SaveAll();
    /** Starts writing the selection of the track to path; as SaveAll. */
    virtual bool SaveSelection();
    /** Stops a running save and waits for its worker; at once when none runs. */
    virtual bool Cancel();

    /** @returns false for null. */
    bool SetTrack(Track* t);
    /** @returns false (nothing stored) when the handle is not a window. */
    bool SetProgressWindow(HWND window);
    /** batchWindow in batch mode, else the library's main window. */
    HWND finalWindow() const;
    /** The library's main window (null when there is none). */
    static HWND mainWindow();

    /** The selection rule shared by the writers of a selection: the source channel is 0
     * unless channel 0 is not selected in a stereo track; the range is the source
     * channel's selection cut to the track's length; two channels only when both
     * channels of a stereo track are selected. */
    static ExportRange selectionRange(const Track& track);
    /** The whole track: every sample of channel 0, and of channel 1 in a stereo track. */
    static ExportRange wholeTrackRange(const Track& track);

    std::string path;
    std::atomic<bool> cancelled{true};
    Track* track = nullptr;
    HWND progressWindow = nullptr;
    bool batchMode = false;
    HWND batchWindow = nullptr;
    /** 0 idle, 1 whole track, 2 selection. */
    std::atomic<int> mode{0};

    /** Why the last save failed (None while it runs, after success or a cancel). Any thread. */
    FileProblem failure() const { return static_cast<FileProblem>(failure_.load()); }

protected:
    Exporter() = default;

    /** The worker's routines; they read the copy of the track (snapshot()). */
    virtual void runWholeTrack() = 0;
    virtual void runSelection() = 0;
    const Track& snapshot() const { return *snapshot_; }
    /** Records why the save fails; the first reason given stays. Worker only. */
    void setFailure(FileProblem reason);
    /** Posts 1146 to progressWindow and 1446 to the final window (`selection`: always
     * the main window), after recording `reason` unless one was recorded already. Ends
     * the worker's use of the track first (releaseTrack). */
    void reportFailure(bool selection, FileProblem reason = FileProblem::Other);
    /** Posts the end of a save: the failure messages when failed; else 1444 to the final
     * window when cancelled; else 1445 to the final window and 1145 to progressWindow,
     * 1145 first when progressFirst. `selection`: the end goes to the main window.
     * Ends the worker's use of the track first (releaseTrack). */
    void reportEnd(bool selection, bool failed, bool wasCancelled, bool progressFirst);
    /** Zero-fills first (and second, when given) with count samples and reads into them
     * from position range.start + done: the source channel into first, or channels 0
     * and 1 when the range has two. Blocks are read from the track ahead, 65,536 samples
     * at a time, so a save of many small blocks opens few block files. Worker only. */
    void readBlock(const ExportRange& range, int done, int count, float* first, float* second);
    /** Waits for a worker that has ended or is ending (no cancel). */
    void joinWorker();
    /** Lets go of the copy of the track and the read-ahead, so blocks of a track closed
     * meanwhile leave the disk at once. Never while the worker still reads. */
    void releaseTrack();

private:
    bool start(int newMode);

    std::atomic<int> failure_{0};
    std::unique_ptr<Track> snapshot_;
    std::thread thread_;
    // readBlock's read-ahead: samples [aheadFrom_, aheadFrom_ + ahead_[0].size()) of the range.
    std::vector<float> ahead_[2];
    int aheadFrom_ = 0;
};

}  // namespace wd
