#include "formats/sound_file_open.h"

#include <fcntl.h>
#include <unistd.h>

namespace wd {

SNDFILE* openSoundFileOn(int fd, int mode, SF_INFO* info) {
    const int own = fd >= 0 ? ::fcntl(fd, F_DUPFD_CLOEXEC, 0) : -1;
    if (own < 0) return nullptr;
    return sf_open_fd(own, mode, info, SF_TRUE);
}

}  // namespace wd
