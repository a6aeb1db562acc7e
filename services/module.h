// Which module the library is, and where it lives.
#pragma once

#include <string>

#include "wavedeck_types.h"

namespace wd {

/** The handle of this library's module (the program, when the engine is linked into it);
 * set by the library entry on every call. Any thread. */
HMODULE moduleHandle();
void setModuleHandle(HMODULE module);

/** The folder holding the library file, without a trailing separator; set once at attach. */
std::string modulePath();
void setModulePath(const std::string& path);

}  // namespace wd
