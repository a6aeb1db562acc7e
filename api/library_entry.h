// Attaching the library to a process and detaching it.
#pragma once

#include "wavedeck_types.h"

namespace wd {

/**
 * The one library-entry routine, called by the shared object's constructor (attach)
 * and destructor (detach) functions. Stores the module handle, then on attach registers
 * the window classes, loads the MP3 encoder library, loads the settings, remembers
 * the module path and starts delivering the tracks' time texts; on detach releases the encoder library, unregisters the classes and
 * writes the settings back. Always returns TRUE.
 */
BOOL libraryEntry(HMODULE module, DWORD reason, void* reserved);

}  // namespace wd
