// Pictures of an X screen for the desktop tests (Xlib stays out of the test sources: its
// macros clash with GoogleTest's names).
#pragma once

#include <string>

namespace wdtest {

/** Writes the whole screen of the X display (":N") as an RGB PNG file; false on failure. */
bool captureScreen(const std::string& display, const std::string& path);

}  // namespace wdtest
