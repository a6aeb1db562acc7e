// Reads WAV and AIFF files (whatever libsndfile reads under those names) into a Track.
#pragma once

#include "formats/worker_importer.h"

namespace wd {

/**
 * A file libsndfile reads with random access and no decoding (SourceFile::randomAccess)
 * is not copied: its track's blocks refer to the file's frames, and only their summaries
 * are computed, in one pass spread over a few threads. Progress (1126) then comes in the
 * copying read's 1024-frame steps, a block's steps at a time, in increasing order, ending
 * at the file's frame count. A file cut short during the pass is copied after all; its
 * progress then resumes where the pass's stopped, never going back.
 *
 * Any other file is read 1024 frames at a time as floats and appended to the new track's
 * channels.
 * Files of more than two channels open as their first two channels (the track holds at
 * most two). Progress (1126) counts frames: wParam the file's frame count (low 32 bits),
 * lParam the frames read so far.
 */
class SoundFileImporter : public WorkerImporter {
public:
    SoundFileImporter() = default;
    ~SoundFileImporter() override;

private:
    void run() override;
    /** Removes the half-made track and reports a failure. */
    void fail(class Track* track, FileProblem reason);
    /** Removes the half-made track and reports the cancel. */
    void cancel(class Track* track);

    enum class Referred { Done, Failed, Cancelled, Copy };
    /** Fills the track with blocks that refer to the file open on fd; Done when the end
     * messages are posted, Copy when the file has to be copied after all (its data ends
     * before its header says: it was cut short while being read). reported receives the
     * frames the progress messages reached. */
    Referred referToSource(int fd, class Track* track, int channels, int64_t& reported);
};

}  // namespace wd
