// The sample the demo opens: made here, so the demo needs no file from anywhere.
#pragma once

#include <string>

namespace host {

/** Writes a 16-bit stereo WAV file of `seconds` seconds at 44100 Hz: a chord that swells
 * and fades, a different voice on each side. @returns false on failure. */
bool writeDemoSample(const std::string& path, double seconds);

}  // namespace host
