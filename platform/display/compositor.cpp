#include "platform/display/compositor.h"

#include "platform/gdi/raster.h"

namespace wd::display {

namespace {

// Draws node with its window's top-left at (x, y) of out, within clip.
void composeInto(const window::WindowNode& node, gdi::Surface& out, int x, int y, const gdi::PixelRect& clip) {
    gdi::raster::copy(out, clip, x, y, node.rect.width(), node.rect.height(), *node.surface, 0, 0);
    const gdi::PixelRect clientClip = node.client.offset(x, y).intersect(clip);
    for (const auto& child : node.children) {
        composeInto(child, out, x + node.client.left + child.rect.left, y + node.client.top + child.rect.top, clientClip);
    }
}

}  // namespace

gdi::Surface compose(const window::WindowNode& node) {
    gdi::Surface out(node.rect.width(), node.rect.height());
    composeInto(node, out, 0, 0, out.bounds());
    return out;
}

}  // namespace wd::display
