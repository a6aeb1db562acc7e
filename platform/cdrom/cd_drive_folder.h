// A folder that stands for a CD drive: track files and a file naming the disc.
#pragma once

#include <optional>
#include <string>

namespace wd::cdrom {

/**
 * The folder holds "disc.txt", whose first line is the disc: a device such as /dev/sr0
 * or an image file (a relative path counts from the folder), and one "TrackNN.cda" per
 * audio track: the 44-byte RIFF "CDDA" record Windows shows for a track (version 1, the
 * track number at byte 22, a disc serial, start and length in sectors and as
 * minutes/seconds/frames). Any thread.
 */
class CdDriveFolder {
public:
    static constexpr const char* kDiscFileName = "disc.txt";
    static constexpr int kTrackFileSize = 44;

    /** The disc a drive folder names (as a path usable from here), or nothing when the
     * folder has no readable disc file. */
    static std::optional<std::string> discOf(const std::string& folder);

    /**
     * Makes folder (when missing) a drive folder for disc: writes the disc file and a
     * track file per audio track, and removes track files left from another disc.
     * @returns the number of track files, or -1 when the disc cannot be read or the
     * folder cannot be written (a disc without audio tracks gives 0).
     */
    static int make(const std::string& disc, const std::string& folder);
};

}  // namespace wd::cdrom
