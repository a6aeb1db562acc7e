// Writes a Track, or its selection, as a 16-bit PCM WAV file.
#pragma once

#include "formats/exporter.h"

namespace wd {

/**
 * Output type 1. Samples go to libsndfile as floats with clipping on, so values beyond
 * ±1.0 are stored as full scale instead of wrapping around, and a track read from a
 * 16-bit file is written back bit for bit.
 */
class WaveExporter : public Exporter {
public:
    WaveExporter() = default;
    ~WaveExporter() override;

protected:
    void runWholeTrack() override;
    void runSelection() override;

private:
    /** Writes count samples per channel from start; selection routes its end messages to
     * the main window. */
    void write(int sourceChannel, int channels, int start, int count, bool selection);
};

}  // namespace wd
