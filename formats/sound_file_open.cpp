#include "formats/sound_file_open.h"

#include "platform/files/file_io.h"

namespace wd {

SNDFILE* openSoundFileOn(int fd, int mode, SF_INFO* info) {
    const int own = fd >= 0 ? duplicateFile(fd) : -1;
    if (own < 0) return nullptr;
    return sf_open_fd(own, mode, info, SF_TRUE);
}

}  // namespace wd
