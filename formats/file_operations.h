// Choosing the reader for a file and the writer for an output type.
#pragma once

#include <string>

namespace wd {

class Importer;
class Exporter;

/** A new reader chosen by the path's lower-cased extension alone ("mp3", "mp2", "mp1",
 * "ogg", "wav", "aiff", "wma", "cda"), or null when no reader handles it (or its format
 * is not built yet). */
Importer* CreateImporterForFile(const std::string& path);
/** A new writer for an output type number (1 WAV, 2 MP3, 3 WMA, 4 Ogg Vorbis), or null. */
Exporter* CreateExporterForType(int type);

}  // namespace wd
