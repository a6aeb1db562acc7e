// What the window layer and the display need from the drawing layer beyond the
// exported calls: device contexts on window backing stores, and lookups.
#pragma once

#include <memory>

#include "platform/gdi/device_context.h"
#include "platform/gdi/gdi_handles.h"

namespace wd::gdi {

/** A counted device context on a window's backing store (see DeviceContext::makeWindow). */
HDC createWindowDC(std::shared_ptr<Surface> surface, int originX, int originY, const PixelRect& clip, HWND window);
/** Ends a window DC made for window; false for any other handle. */
bool releaseWindowDC(HWND window, HDC dc);
/** The device context of a handle, or null. */
std::shared_ptr<DeviceContext> findDC(HDC dc);

}  // namespace wd::gdi
