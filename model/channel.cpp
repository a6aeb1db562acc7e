#include "model/channel.h"

#include <algorithm>
#include <cstring>

#include "model/track.h"

namespace wd {
namespace {

constexpr int kMaxColumns = DisplayColumns::kMaxColumns;

void moveColumns(DisplayColumns& c, int to, int from, int count) {
    if (count <= 0) return;
    std::memmove(c.mins.data() + to, c.mins.data() + from, static_cast<size_t>(count) * sizeof(float));
    std::memmove(c.maxs.data() + to, c.maxs.data() + from, static_cast<size_t>(count) * sizeof(float));
}

}  // namespace

void Channel::assignFrom(const Channel& other) {
    if (&other == this) return;
    sequence_.assignFrom(&other.sequence_);
    columns_ = other.columns_;
    viewRecord = other.viewRecord;
    selStart = other.selStart;
    selLength = other.selLength;
    selectedFlag = other.selectedFlag;
    viewColumns = other.viewColumns;
    viewHeight = other.viewHeight;
}

void Channel::rebuild(int viewStart, int samplesPerColumn) {
    const int w = std::min(viewColumns, kMaxColumns);
    columns_.setCount(sequence_.readColumns(columns_.mins.data(), columns_.maxs.data(), w, viewStart, samplesPerColumn));
    columns_.firstSample = viewStart;
}

void Channel::updateColumns(int mode, int n, const Track& track) {
    const int spp = track.samplesPerColumn;
    if (spp < 1) return;
    const int w = std::min(viewColumns, kMaxColumns);
    DisplayColumns& c = columns_;
    const int count = c.count();
    switch (mode) {
        case 0: {
            if (n < 0 || n >= count) {
                rebuild(track.viewStart, spp);
                return;
            }
            moveColumns(c, 0, n, count - n);
            const int64_t from = static_cast<int64_t>(c.firstSample) + static_cast<int64_t>(w) * spp;
            const int read = from > INT32_MAX ? 0
                                              : sequence_.readColumns(c.mins.data() + (count - n), c.maxs.data() + (count - n), n,
                                                                      static_cast<int>(from), spp);
            c.setCount(count - n + read);
            c.firstSample += n * spp;
            return;
        }
        case 1: {
            if (n < 0 || n >= count) {
                rebuild(track.viewStart, spp);
                return;
            }
            int first = c.firstSample - n * spp;
            int k = n;
            if (first < 0) {
                k = c.firstSample / spp;
                first = 0;
            }
            int keep = count;
            if (keep + k > w) keep = w - k;
            keep = std::clamp(keep, 0, kMaxColumns - k);
            moveColumns(c, k, 0, keep);
            const int read = sequence_.readColumns(c.mins.data(), c.maxs.data(), k, first, spp);
            c.setCount(read + keep);
            c.firstSample -= k * spp;
            return;
        }
        case 2:
        case 3:
            rebuild(track.viewStart, spp);
            c.drawOffset = 0;
            return;
        case 4: {
            const int64_t k = std::min<int64_t>((static_cast<int64_t>(sequence_.length()) + spp - 1) / spp, kMaxColumns);
            c.setCount(sequence_.readColumns(c.mins.data(), c.maxs.data(), static_cast<int>(k), 0, spp));
            c.drawOffset = 0;
            c.firstSample = 0;
            return;
        }
        default:
            return;
    }
}

}  // namespace wd
