// What a test that made the library's windows leaves behind it.
#pragma once

namespace wdtest {

/** Ends the program's windows (WDXExitProgram), then removes every track and every tab
 * directly: tracks left without a listening main window would stay otherwise. */
void closeEveryTrack();

}  // namespace wdtest
