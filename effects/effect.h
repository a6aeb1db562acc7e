// Base of the numbered effects that rewrite a track on a worker thread.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "model/busy_tracks.h"
#include "wavedeck_types.h"

namespace wd {

class Channel;
class Sequence;
class Track;
class WindowedReader;

/**
 * An effect runs once, on its own worker, over one track. The worker takes an undo state
 * before the first sample changes, rewrites the selection through Sequence splices,
 * posts NotifyEffectProgress (percent) to the progress window after each chunk and
 * NotifyEffectDone at its end, and as its very last act posts MsgEffectFinished to the
 * library's main window with the track (wParam) and itself (lParam). The main window then
 * calls complete() and deletes it on the user-interface thread, so an effect never touches
 * a window and never outlives its report.
 *
 * NotifyEffectDone carries wParam 1 when the effect did its work (or had none to do) and
 * 0 when it could not: parameters it refuses or a stop asked for (the track and its undo
 * history are then unchanged), or a block that could not be read or written.
 *
 * Threads: the setters, run() and complete() belong to the user-interface thread; the
 * rest of the object belongs to the worker from run() until its end message. The worker
 * holds a claim on its track (BusyTracks) until just before its end messages, so no other
 * worker or edit starts there meanwhile and the track is not destroyed under it. Without
 * a main window to hand it back to, the worker deletes the effect itself.
 */
class Effect {
public:
    /** Waits for the worker, which has ended by the time the main window deletes the effect. */
    virtual ~Effect();
    Effect(const Effect&) = delete;
    Effect& operator=(const Effect&) = delete;

    /**
     * Reads the effect's words of a parameter block (32-bit words: floats, or ints where the
     * effect says so). A null block keeps the defaults. Values are checked by the worker.
     * @returns true.
     */
    virtual bool setParameters(const void* block);
    /**
     * Claims the track (BusyTracks), stores it and starts the worker.
     * @returns false when nothing was started: no track, the track busy with another
     *          worker, or no thread could be made.
     */
    virtual bool run(Track* track);
    /** 1 for Amplify, 0 for every other effect. */
    int getKind() const { return kind_; }
    /** Copies the effect's name (empty for every effect) into out and returns out. */
    std::string& getName(std::string& out) const;
    /** The window that receives progress and the end; returns it. */
    HWND setProgressWindow(HWND window);
    /**
     * Called on the user-interface thread when the main window takes the end message of
     * this effect for a track still open, before it refreshes the track's view: changes
     * that only that thread may make (channels, rate, selection) are put in place here.
     */
    virtual void complete(Track& track);
    /**
     * Asks the effect running on the track with this id to stop: its worker leaves at the
     * next chunk, puts the track's samples back as they were and keeps no undo state.
     * Any thread. @returns false when no effect runs there (or it has passed its last
     * chunk and cannot stop any more).
     */
    static bool stopOn(uint32_t trackId);
    /** Whether the worker ended on a stop; read after its end message. */
    bool stopped() const { return stopped_; }

protected:
    /** What the worker finds it has to do, once it has looked at the parameters and the track. */
    enum class Plan { Refuse, Nothing, Work };

    /** Reads the parameter words as stored in a block: word i of a float or int block. */
    static float floatWord(const void* block, int index);
    static int32_t intWord(const void* block, int index);

    explicit Effect(int kind = 0);

    /** On the worker, before anything changes: checks the parameters against the track. */
    virtual Plan plan() = 0;
    /** On the worker, after the undo state: the work. @returns false on a failure. */
    virtual bool process() = 0;
    /** Whether the effect changes its track, and so takes an undo state before it works. */
    virtual bool changesTrack() const { return true; }
    /** On the worker, at its end: the message to the main window that hands the effect
     * back (MsgEffectFinished by default). */
    virtual void postEnd(HWND mainWindow);
    /** Claims a track the worker reads or writes; the worker releases every claim before
     * its end messages. @returns false when another worker holds the track. */
    bool claim(const Track& track);
    /** Starts the worker on the stored track. @returns false when no thread could be made. */
    bool startWorker();

    /** Whether a stop was asked for: the work loops leave (abandoning their splices) at
     * the next chunk. */
    bool stopRequested() const { return stopRequested_.load(); }
    /** Posts NotifyEffectProgress with the percentage (lParam). */
    void notifyProgress(int64_t percent) const;
    /** The rate a channel's samples were made at: its rate word, else the track's rate. */
    int channelRate(int index) const;
    /** The samples of the channel's selection that it holds (0 for none). */
    static int selectionSize(const Channel& channel);
    /** The channel i of the track when it takes part in the effect: selected, with samples. */
    Channel* selectedChannel(int index) const;

    /** False, with the sequence's open splice cancelled, once a stop was asked for. */
    bool carryOn(Sequence& sequence) const;
    /** Reads n samples from position through a reader of a sequence on which a splice is
     * open; a short read (a block that cannot be read) cancels the splice.
     * @returns whether all n came. */
    static bool readForSplice(WindowedReader& reader, Sequence& sequence, float* dst, int position, int n);

    /** How a chunk is read for overwriteSelection: in order, or from the mirrored place
     * (the first chunk written comes from the end of the range). */
    enum class Order { Forward, Backward };
    using ChunkFunction = std::function<void(float* samples, int count, int offset)>;
    /**
     * Rewrites count samples of the channel from start through one overwrite splice, in
     * chunks of kChunk samples and a last piece: each is read, handed to process (with
     * its offset inside the range) and written. Posts progress after each full chunk and
     * after the commit as the framework prescribes.
     * @returns false when a read or the splice failed (the channel then keeps its samples).
     */
    bool overwriteSelection(Channel& channel, int start, int count, const ChunkFunction& process,
                            Order order = Order::Forward);
    /** As overwriteSelection on every selected channel in turn; before each, begin(index,
     * count) with the number of samples to rewrite there. */
    bool overwriteSelectedChannels(const std::function<void(int index, int count)>& begin, const ChunkFunction& process,
                                   Order order = Order::Forward);
    /** Work when a channel is selected with samples in its selection, else Nothing. */
    Plan planForSelection() const;

    static constexpr int kChunk = 1024;

    Track* track_ = nullptr;
    HWND progressWindow_ = nullptr;

private:
    void work();
    /** Whether a stop was asked for while the effect was listed as running. */
    bool leaveRunning();
    /** process(), with an exception counted as a failure. */
    bool runProcess();

    int32_t kind_ = 0;
    std::string name_;
    std::vector<TrackClaim> claims_;
    HWND mainWindow_ = nullptr;  // where the end goes, looked up as the worker starts
    std::atomic<bool> stopRequested_{false};
    bool stopped_ = false;
    std::mutex starting_;
    std::thread worker_;
};

}  // namespace wd
