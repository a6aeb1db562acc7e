// libsndfile over a descriptor the caller keeps.
#pragma once

#include <sndfile.h>

namespace wd {

/**
 * sf_open_fd on a duplicate of fd, which libsndfile owns and closes (at sf_close, or at
 * once when the open fails). fd stays the caller's: libsndfile closes the descriptor it
 * was given when an open fails even when told not to, and a second close by the caller
 * would then hit whatever file another thread had opened under that number meanwhile.
 */
SNDFILE* openSoundFileOn(int fd, int mode, SF_INFO* info);

}  // namespace wd
