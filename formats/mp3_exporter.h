// Writes a Track, or its selection, as an MP3 file through the MP3 encoder library.
#pragma once

#include "formats/exporter.h"

namespace wd {

/**
 * Output type 2. Encodes 16-bit samples (floats clipped to full scale) 1024 per channel
 * at a time through liblame_enc.so, at the constant bit rate of the MP3 setting, in
 * stereo for two channels and mono for one; a selection has the channels the selection
 * rule gives it. A missing encoder library, a set-up the encoder refuses, an encoder
 * error or a file that cannot be written fails the save (1146, 1446) and leaves no file.
 */
class Mp3Exporter : public Exporter {
public:
    Mp3Exporter() = default;
    ~Mp3Exporter() override;

protected:
    void runWholeTrack() override;
    void runSelection() override;

private:
    /** Encodes the range; selection routes its end messages to the main window. */
    void write(const ExportRange& range, bool selection);
};

}  // namespace wd
