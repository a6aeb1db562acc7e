// Writes a Track, or its selection, as a 16-bit PCM WAV file.
#pragma once

#include "formats/range_exporter.h"

namespace wd {

/**
 * Output type 1. Samples are stored as libsndfile stores floats with clipping on, so
 * values beyond ±1.0 are stored as full scale instead of wrapping around, and a track read
 * from a 16-bit file is written back bit for bit.
 */
class WaveExporter : public RangeExporter {
public:
    WaveExporter() = default;
    ~WaveExporter() override;

private:
    void write(const ExportRange& range, bool selection) override;
};

}  // namespace wd
