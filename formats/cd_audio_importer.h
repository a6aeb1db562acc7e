// Reads one track of an audio CD into a Track, given the track's file ("Track01.cda").
#pragma once

#include "formats/worker_importer.h"

namespace wd {

/**
 * The track file names only the track number; the drive is the folder that holds it (see
 * platform/cdrom/cdrom.h). The worker reads the table of contents, then the track's
 * sectors, 13 at a time, from its first sector to the last one before the next track (or
 * the lead-out), into a new two-channel Track at 44,100 Hz named after the track file.
 *
 * Progress (1126) is a percentage: wParam 100, lParam the share of the track's bytes read.
 * A block that cannot be read is skipped (the Track is shorter by its samples, and the
 * percentage stays behind); when the drive then reports the disc gone, the import fails.
 * The import fails (1127, 1426, no Track) for a folder that names no disc, a disc that
 * cannot be opened or read, a track file that is not a CD track record, a track number
 * the disc does not have, and a data track.
 */
class CdAudioImporter : public WorkerImporter {
public:
    static constexpr int kSectorsPerRead = 13;
    static constexpr int kFramesPerSector = 588;
    static constexpr int kSampleRate = 44100;

    CdAudioImporter() = default;
    ~CdAudioImporter() override;

private:
    void run() override;
    void fail();
};

}  // namespace wd
