// libsndfile over a descriptor the caller keeps.
#pragma once

#include <sndfile.h>

namespace wd {

/**
 * libsndfile over fd, which stays the caller's: the sound file reads and writes through a
 * duplicate of its own via libsndfile's virtual I/O, so libsndfile never closes (or fails
 * to close) a descriptor itself. Its Windows build, handed a descriptor, would close the
 * system handle under it and leave the C library's descriptor allocated; on POSIX systems
 * it closes the descriptor when an open fails even when told not to. Close the result
 * with closeSoundFile, never sf_close.
 */
SNDFILE* openSoundFileOn(int fd, int mode, SF_INFO* info);
/** sf_close, then the duplicate; false when libsndfile reported a failure. */
bool closeSoundFile(SNDFILE* file);

}  // namespace wd
