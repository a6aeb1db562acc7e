#include "formats/range_exporter.h"

#include <algorithm>

namespace wd {

void RangeExporter::runWholeTrack() {
    const Track& t = snapshot();
    write(ExportRange{0, 0, t.length(), t.channelCount() > 1 ? 2 : 1}, false);
}

void RangeExporter::runSelection() {
    ExportRange r = selectionRange(snapshot());
    r.count = std::max(0, r.count);
    write(r, true);
}

}  // namespace wd
