// The minimum and maximum of each pixel column of one channel's waveform view.
#pragma once

#include <array>

namespace wd {

/**
 * Up to kMaxColumns columns; the painter draws `count` columns taken from index
 * `drawOffset` on. Values are sample values (full scale -1.0 to 1.0). Touched only by the
 * user-interface thread.
 */
class DisplayColumns {
public:
    static constexpr int kMaxColumns = 2048;

    std::array<float, kMaxColumns> mins{};
    std::array<float, kMaxColumns> maxs{};
    /** The sample at which column 0 starts. */
    int firstSample = 0;
    /** Index of the first column to draw. */
    int drawOffset = 0;

    /** Columns filled, 1 to kMaxColumns (0 only before the first fill). */
    int count() const { return count_; }
    /** Sets the count when it lies in 1..kMaxColumns; any other value is refused, so a
     * read of nothing (an empty track) leaves the previous columns in place.
     * @returns 0, or -1 when refused. */
    int setCount(int count);

private:
    int count_ = 0;
};

}  // namespace wd
