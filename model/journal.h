// The record of this process's open tracks, kept beside their blocks for a later start.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "model/track.h"

namespace wd {

/**
 * Keeps in the process's block folder, for every open track, a manifest naming the
 * track's state and its undo and redo states, each state a file of its own: name, rate,
 * view fields, and per channel the selection and the block list (block files by path and
 * length, silent blocks by length, blocks of a sound file by its path, identity and frame
 * range). Block files are named through links of the journal's own ("b-<serial>"), so a
 * block the track lets go of stays on disk while a manifest still names it. A state file
 * is named after its content and written once, so an operation on a
 * long history writes the changed state and a manifest of one line per state. Files are
 * written to a temporary name and renamed, so a reader never meets a partial one; blocks
 * are complete before a track refers to them, so the files only ever name whole blocks.
 *
 * Durability: the page cache keeps all of it through a crash of the process. Against a
 * power cut, flush() (at every save, and from a thread of its own at most kFlushInterval
 * after a change) syncs the folder's file system and then keeps a copy of each manifest
 * ("track-<id>.flushed.wdj") whose states and blocks are all on disk.
 *
 * Threads: record() and forget() on the user-interface thread, with the track not being
 * changed by a worker; flush() from any thread.
 */
class Journal {
public:
    static constexpr std::chrono::seconds kFlushInterval{10};
    /** Every file of the journal ends so; a block folder holding one is kept for recovery. */
    static constexpr const char* kSuffix = ".wdj";
    static constexpr const char* kStateSuffix = ".wds";

    static Journal& instance();

    /** Writes track's state with its history after an operation that changed it
     * completed; only for a track of the TrackList. Failures (no folder, a full disk) leave the journal as it was. */
    void record(const Track& track);
    /** The track with that id was closed: its files go. */
    void forget(uint32_t id);
    /** Makes everything recorded so far durable. @returns false when the sync failed. */
    bool flush();

    /** Bytes of journal files written so far (what an operation costs the disk). */
    uint64_t bytesWritten() const { return bytesWritten_.load(); }

    /** The state file content for a track state (one line per field, one per block);
     * links receives (block file, journal link name) for each block file it names. */
    static std::string stateText(const Track& track, std::vector<std::pair<std::string, std::string>>& links);
    /** The manifest file names of track id: the current and the flushed one. */
    static std::string manifestName(uint32_t id);
    static std::string flushedManifestName(uint32_t id);

private:
    Journal() = default;

    struct TrackFiles {
        std::string manifest;                    // content written last
        std::vector<std::string> states;         // state files it names
        std::vector<std::string> flushedStates;  // those the flushed copy names
        std::map<uint64_t, std::string> named;   // saved states' files, by Track instance
    };

    // The file name of a state, writing the file (and linking its blocks) unless it
    // exists. Caller holds mutex_.
    std::string writeState(const Track& state);
    void hold(const std::vector<std::string>& files);
    void dropLinks(const std::vector<std::string>& links);
    void drop(const std::vector<std::string>& files);
    void startFlusher();

    std::mutex mutex_;
    std::condition_variable changed_;
    std::string folder_;  // the block folder the files go to
    std::map<uint32_t, TrackFiles> tracks_;
    std::map<std::string, int> holders_;  // state file -> manifests naming it
    std::map<std::string, std::vector<std::string>> stateLinks_;  // state file -> block links
    std::map<std::string, int> linkHolders_;                       // block link -> state files
    bool dirty_ = false;
    std::atomic<uint64_t> bytesWritten_{0};
    bool flusherStarted_ = false;
};

/** Writes content to path through a temporary file renamed over it. False on failure. */
bool writeFileAtomically(const std::string& path, const std::string& content);

}  // namespace wd
