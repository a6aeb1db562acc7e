// The peak resident memory of a benchmark program, measured between two points.
#pragma once

#include <cstdlib>
#include <fstream>
#include <string>

namespace bench {

/** Peak resident memory since the last reset, in MiB (VmHWM); -1 when unknown. */
inline double peakRssMiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) return std::atof(line.c_str() + 6) / 1024.0;
    }
    return -1;
}

/** Starts a new measurement: the peak falls to the memory in use now. */
inline void resetPeakRss() { std::ofstream("/proc/self/clear_refs") << "5"; }

}  // namespace bench
