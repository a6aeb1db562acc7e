// Opens the sound files that recovered tracks refer to, again, by name.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "model/block_file.h"

namespace wd {

class SourceFile;

/**
 * Makes blocks over frames of sound files named by a journal, opening each file once
 * however many blocks refer to it. A file whose size or modification time is not the one
 * recorded gives no block: it is not the file the track was read from.
 */
class SourceReopener {
public:
    /** A new block (one reference) over sampleCount frames from origin, or null. */
    BlockFile* operator()(const BlockFile::SourceOrigin& origin, int sampleCount);

private:
    std::map<std::string, std::shared_ptr<SourceFile>> files_;
};

}  // namespace wd
