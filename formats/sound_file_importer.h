// Reads WAV and AIFF files (whatever libsndfile reads under those names) into a Track.
#pragma once

#include "formats/worker_importer.h"

namespace wd {

/**
 * Reads 1024 frames at a time as floats and appends them to the new track's channels.
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
};

}  // namespace wd
