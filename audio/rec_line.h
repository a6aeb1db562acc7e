// One recording source line as the recording-line mixer lists it.
#pragma once

#include <string>

#include "wavedeck_types.h"

namespace wd {

/** A line without a volume control has volumeControlId 0 and the range 0..0. */
struct RecLine {
    LONG minimum = 0;
    LONG maximum = 0;
    DWORD volumeControlId = 0;
    DWORD lineId = 0;
    /** At most 63 characters. */
    std::string name;
};

}  // namespace wd
