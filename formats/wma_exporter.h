// Writes a Track, or its selection, as a Windows Media audio file.
#pragma once

#include "formats/range_exporter.h"

namespace wd {

/**
 * Output type 3. The worker sets up the Windows Media writer with an audio stream of the
 * first codec format that matches the track's rate, the output's channels and the WMA
 * bit-rate setting (kbit/s), then writes blocks of 1024 frames of 16-bit PCM.
 *
 * Ends: 1145 to the progress window, then 1445 to the final window. When no codec format
 * matches (an unusual rate, a bit rate the codec does not offer) or the file cannot be
 * made or written: 1146 and 1446, and the target is left as it was. A cancel posts 1444
 * and also leaves the target as it was. A selection's 1444, 1445 and 1446 go to the main
 * window whatever batchMode says.
 */
class WmaExporter : public RangeExporter {
public:
    WmaExporter() = default;
    ~WmaExporter() override;

private:
    void write(const ExportRange& range, bool selection) override;
};

}  // namespace wd
