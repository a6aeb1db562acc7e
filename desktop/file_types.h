// The types the editors save, by extension, and the parts of a path they show. Paths may
// use either separator: "/" on Linux, "\" (or "/") on Windows.
#pragma once

#include <string>

namespace desktop {

/** An output type of the save exports. */
struct FileType {
    const char* name;
    const char* extension;
    int type;
};
inline constexpr FileType kFileTypes[] = {{"WAV", "wav", 1}, {"MP3", "mp3", 2}, {"WMA", "wma", 3}, {"Ogg Vorbis", "ogg", 4}};

/** The extension of the path's file name in lower case; empty without one. */
std::string lowerExtension(const std::string& path);
/** The save type of the path's extension; 0 for none of kFileTypes. */
int fileTypeOf(const std::string& path);
/** The file name: what follows the last separator. */
std::string fileNameOf(const std::string& path);

}  // namespace desktop
