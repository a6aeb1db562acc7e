// The MP3 encoder library loaded at start-up, and its four entry points.
#pragma once

#include <string>

#include "formats/lame_enc/lame_enc.h"
#include "wavedeck_types.h"

namespace wd {

/**
 * The encoder library lame_enc, loaded from the library's own folder (then from the run-time search
 * path). When it cannot be loaded the entry points stay null and the rest of the library
 * works; MP3 saving then fails. Loaded and released on the attaching thread only.
 */
class Mp3EncoderLibrary {
public:
    static Mp3EncoderLibrary& instance();

    /** Loads the library from folder and looks up the entry points; false when missing. */
    bool load(const std::string& folder);
    void release();
    /** True when all four entry points are there. */
    bool available() const;

    BeInitStreamFn initStream = nullptr;
    BeEncodeChunkFn encodeChunk = nullptr;
    BeDeinitStreamFn deinitStream = nullptr;
    BeCloseStreamFn closeStream = nullptr;

    /** The library's name; its file is lame_enc.dll on Windows, liblame_enc.so elsewhere. */
    static constexpr const char* kName = "lame_enc";

private:
    HMODULE module_ = nullptr;
};

}  // namespace wd
