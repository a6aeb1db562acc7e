// Decoding Windows device-independent bitmaps, the format of the library's bitmap
// resources: an optional BITMAPFILEHEADER, a BITMAPINFOHEADER (40 bytes or larger),
// a palette for 1, 4 and 8 bits per pixel, and uncompressed (BI_RGB) rows padded to 4 bytes,
// bottom-up (positive height) or top-down (negative height). 24 and 32 bits per pixel
// are stored blue, green, red.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "platform/gdi/surface.h"

namespace wd::gdi {

/** The pixels of the bitmap, or nothing for data that is not a bitmap this decoder
 * reads (compressed, truncated, or with absurd sizes). Never reads past size. */
std::optional<Surface> decodeDib(const uint8_t* data, size_t size);

}  // namespace wd::gdi
