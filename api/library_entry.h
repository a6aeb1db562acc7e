// Attaching the library to a process and detaching it.
#pragma once

#include <string>

#include "wavedeck_types.h"

namespace wd {

/**
 * The one library-entry routine, called by the shared object's constructor (attach)
 * and destructor (detach) functions. Stores the module handle, then on attach registers
 * the window classes, loads the MP3 encoder library, loads the settings and remembers
 * the module path; on detach releases the encoder library, unregisters the classes and
 * writes the settings back. Always returns TRUE.
 */
BOOL libraryEntry(HMODULE module, DWORD reason, void* reserved);

/** The handle of this library's module (the program, when the engine is linked in). */
HMODULE moduleHandle();
/** The folder holding the library file, without a trailing separator. */
std::string modulePath();

}  // namespace wd
