// Sample counts shown as minutes, seconds and milliseconds.
#pragma once

#include <cstdint>
#include <string>

namespace wd {

/** "%02d:%02d.%03d" (Point) or "%02d:%02d:%03d" (Colon). */
enum class TimeTextStyle { Point, Colon };

/**
 * samples at sampleRate (samples per second) as minutes:seconds and milliseconds; every
 * part is an integer division truncated toward zero, minutes above 99 take more digits.
 * A rate below 1 has no time: the text of 0 samples.
 */
std::string timeText(int64_t samples, int sampleRate, TimeTextStyle style);

}  // namespace wd
