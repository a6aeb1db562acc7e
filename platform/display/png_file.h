// Writing a surface as a PNG file (8-bit RGB) through libpng.
#pragma once

#include <string>

#include "platform/gdi/surface.h"

namespace wd::display {

/** false when the file cannot be written or the surface is empty. */
bool writePng(const gdi::Surface& surface, const std::string& path);

}  // namespace wd::display
