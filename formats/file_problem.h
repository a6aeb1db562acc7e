// Why opening or saving a file failed, in the words the host is given.
#pragma once

#include "wavedeck.h"

namespace wd {

class Track;

/** The reasons a reader or writer can name (the host sees them as WD_FAILURE_ codes). */
enum class FileProblem : int {
    None = WD_FAILURE_NONE,
    Missing = WD_FAILURE_MISSING,                // no such file (readers) or folder (writers)
    NotRegular = WD_FAILURE_NOT_A_FILE,          // a folder, FIFO, socket or device
    NoPermission = WD_FAILURE_NO_PERMISSION,     // the file or its folder may not be read or written
    NoSpace = WD_FAILURE_DISK_FULL,              // the file system of the file is full
    NameTooLong = WD_FAILURE_NAME_TOO_LONG,      // the path or a part of it is too long
    NotSound = WD_FAILURE_NOT_SOUND,             // not a file of its format, or damaged beyond reading
    TooLong = WD_FAILURE_TOO_LONG,               // more samples per channel than a track holds
    TempFull = WD_FAILURE_TEMP_FULL,             // no space left in the temporary folder
    TempUnwritable = WD_FAILURE_TEMP_UNWRITABLE,  // the temporary folder cannot be made or written
    Encoder = WD_FAILURE_ENCODER,                // the encoder is missing or refused the set-up
    Other = WD_FAILURE_OTHER,
    SourceChanged = WD_FAILURE_SOURCE_CHANGED,  // a file a track refers to was rewritten in place
};

/** The problem an errno value of an open, read or write stands for. */
FileProblem problemOfErrno(int error);

/** Why the last block file could not be made or written: the temporary folder is full, or
 * it cannot be made or written. */
FileProblem storageProblem();

/**
 * Names why a reader failed from what happened during its read: a block file that could
 * not be written since `writeFailuresAtStart` (BlockFactory::writeFailures) points to the
 * temporary folder; a track within one append of the longest a track can hold was cut off
 * at that limit; anything else is `otherwise` (the reader's own reason).
 */
FileProblem readProblem(uint32_t writeFailuresAtStart, const Track* track, FileProblem otherwise);

}  // namespace wd
