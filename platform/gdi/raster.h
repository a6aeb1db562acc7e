// Pixel rules of the drawing layer: where the pixels of lines, polygons and block
// transfers fall. Every function writes only inside clip (device pixels).
#pragma once

#include <vector>

#include "platform/gdi/surface.h"

namespace wd::gdi::raster {

struct Point {
    int x = 0;
    int y = 0;
};

/** The line from (x0, y0) to (x1, y1) without its end pixel. Along the longer axis
 * every pixel is visited; the other coordinate is the exact one rounded to nearest,
 * halves upward. A width w > 1 stamps a w x w square reaching w / 2 pixels left of and
 * above each pixel. */
void line(Surface& surface, const PixelRect& clip, int x0, int y0, int x1, int y1, int width, uint32_t pixel);

/** Fills the pixels whose centres lie inside the polygon (alternate rule; a centre on
 * a left edge is inside, on a right edge outside). */
void fillPolygon(Surface& surface, const PixelRect& clip, const std::vector<Point>& points, uint32_t pixel);

/** Copies width x height pixels from (sourceX, sourceY) to (x, y); source pixels
 * outside the source surface leave the destination unchanged. Overlap is allowed. */
void copy(Surface& target, const PixelRect& clip, int x, int y, int width, int height, const Surface& source,
          int sourceX, int sourceY);

/** Nearest-neighbour stretch: destination column i (0-based) takes source column
 * sourceX + (2 i + 1) * sourceWidth / (2 width), integer division; rows alike. All
 * sizes must be positive. */
void stretch(Surface& target, const PixelRect& clip, int x, int y, int width, int height, const Surface& source,
             int sourceX, int sourceY, int sourceWidth, int sourceHeight);

}  // namespace wd::gdi::raster
