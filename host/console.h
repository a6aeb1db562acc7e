// What the host needs from the system it runs on: interruptions, the terminal, paths and
// folders. One implementation per system (console_posix.cpp, console_win32.cpp).
#pragma once

#include <string>

namespace host {

/** Turns an interruption into a request to stop: a running open or save is cancelled, the
 * session ends normally and the library removes its block files. POSIX: SIGINT, SIGTERM
 * and SIGHUP. Windows: Ctrl-C and Ctrl-Break, and the console closing or the session
 * ending, under the POSIX numbers, so an interrupted run ends with the same status. */
void catchInterrupts();
/** The signal that asked to stop, or 0. */
int interruption();
/** Forgets an interruption that was handled (Ctrl-C ends a play, not the program). */
void clearInterruption();

/** True when stderr is a terminal (progress is then redrawn in place). */
bool stderrIsTerminal();

/** The absolute form of a path (the library names tracks by their full path). */
std::string absolutePath(const std::string& path);

/** True when the path is a folder this user can make files in. */
bool isWritableFolder(const std::string& path);

/** Says that the library's settings cannot be written, and where they are kept. */
std::string settingsNotKept();

}  // namespace host
