// FFmpeg's own messages are kept out of the host's terminal.
#pragma once

namespace wd::wm {

/** Sets FFmpeg's log level to quiet, once per process: the library reports through its
 * results and messages only. Any thread. */
void silenceFfmpeg();

}  // namespace wd::wm
