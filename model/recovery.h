// The tracks of processes that ended without closing them, offered back from their journals.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "model/block_file.h"
#include "model/track.h"

namespace wd {

/**
 * Finds the block folders of processes that are gone and left a Journal, holds their
 * locks (so no other process recovers them too) and offers their tracks. A track is
 * rebuilt from its newest manifest whose files are all whole; when that is damaged (a power
 * cut lost what came after the last flush) from the flushed one. Recovered blocks are
 * linked into this process's block folder; a folder is removed when every track of it
 * was recovered or discarded.
 *
 * Threads: the user-interface thread.
 */
class Recovery {
public:
    /** Makes a block that refers to frames of a sound file, or null when the file is gone
     * or no longer the one the origin describes. */
    using SourceOpener = std::function<BlockFile*(const BlockFile::SourceOrigin& origin, int sampleCount)>;

    enum class Problem : int {
        None = 0,
        SourceChanged,  // a sound file the samples are read from was changed or removed
        Damaged,        // neither manifest names only whole files
    };
    struct Offer {
        std::string name;
        int length = 0;  // samples of the longest channel
        Problem problem = Problem::None;
    };

    static Recovery& instance();

    /** Looks for abandoned journals in tempFolder (each folder once per process). */
    void scan(const std::string& tempFolder);
    int sessionCount() const;
    int trackCount() const;
    /** The offer at index, or null. */
    const Offer* offer(int index) const;

    /**
     * Rebuilds the track at index: its state into track (whose id stays) and its history
     * into undo and redo (oldest first; states carry track's id), then withdraws the offer.
     * @returns false, the offer kept and track unchanged, for a bad index, an offer with a
     *          problem, or a block that cannot be brought back.
     */
    bool recover(int index, Track& track, std::vector<std::unique_ptr<Track>>& undo,
                 std::vector<std::unique_ptr<Track>>& redo, const SourceOpener& openSource);
    /** Withdraws every offer and removes their folders. */
    void discardAll();

    struct Manifest;  // parsed files, in recovery.cpp
    struct Entry;

private:
    Recovery() = default;
    struct Session {
        std::string folder;
        int lock = -1;
        int left = 0;  // offers not yet withdrawn
    };
    void withdraw(size_t entry);

    std::vector<Session> sessions_;
    std::vector<std::shared_ptr<Entry>> entries_;
    std::vector<std::string> scanned_;
};

}  // namespace wd
