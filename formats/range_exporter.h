// Base of the writers that write a range of one channel, or of both, of a track.
#pragma once

#include "formats/exporter.h"

namespace wd {

/**
 * The whole track is both channels (one for a mono track) from 0 to the track's length;
 * the selection follows the selection rule (Exporter::selectionRange). Both routines
 * hand the range to write().
 */
class RangeExporter : public Exporter {
protected:
    RangeExporter() = default;

    void runWholeTrack() override;
    void runSelection() override;
    /** Writes range.count samples per channel of the snapshot from range.start: both
     * channels when range.channels is 2, else range.sourceChannel. For a selection the
     * end messages go to the main window whatever batchMode says. */
    virtual void write(const ExportRange& range, bool selection) = 0;
};

}  // namespace wd
