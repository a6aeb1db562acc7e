#include "platform/wmrt/ffmpeg_quiet.h"

extern "C" {
#include <libavutil/log.h>
}

#include <mutex>

namespace wd::wm {

void silenceFfmpeg() {
    static std::once_flag once;
    std::call_once(once, [] { av_log_set_level(AV_LOG_QUIET); });
}

}  // namespace wd::wm
