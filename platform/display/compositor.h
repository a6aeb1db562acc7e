// Composing a window tree into one image: each window's backing store, and over its
// client area its visible children (later ones on top), each clipped to its parent's
// client area.
#pragma once

#include "platform/gdi/surface.h"
#include "platform/window/window_system.h"

namespace wd::display {

/** The composed image of node, at its window size. */
gdi::Surface compose(const window::WindowNode& node);

}  // namespace wd::display
