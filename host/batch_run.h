// The command-line host's batch conversion: the library's batch converter over a list of files.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "host_session.h"

namespace host {

/** What became of one file of a batch; problem is empty when it was converted. */
struct BatchOutcome {
    std::string file;
    std::string problem;
};

/**
 * Converts files into folder as the output type (1 WAV, 2 MP3, 3 WMA, 4 Ogg Vorbis) with
 * the library's batch converter, drawing one progress bar per file (reading, then
 * writing) on stderr. When interrupted() turns true the run is cancelled: the file being
 * converted is not kept, and it and the files after it are reported as not converted.
 * @returns one outcome per file, in the order given
 */
std::vector<BatchOutcome> runBatch(Session& session, const std::vector<std::string>& files, const std::string& folder,
                                   int type, const std::function<bool()>& interrupted);

}  // namespace host
