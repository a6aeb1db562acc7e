// A memory device context with its own bitmap: windows draw into it, then copy it out.
#pragma once

#include "wavedeck_win.h"

namespace wd {

/**
 * A memory DC compatible with `reference`, holding a width x height bitmap (black when
 * made). The destructor deselects and deletes the bitmap and the DC, so a paint that
 * uses one leaves no GDI object behind. One thread.
 */
class OffscreenCanvas {
public:
    OffscreenCanvas(HDC reference, int width, int height);
    ~OffscreenCanvas();
    OffscreenCanvas(const OffscreenCanvas&) = delete;
    OffscreenCanvas& operator=(const OffscreenCanvas&) = delete;

    /** The memory DC, or null when it could not be made (draw calls on null do nothing). */
    HDC dc() const { return dc_; }

    /** Copies the canvas to (0, 0) of target: one to one when the target size equals the
     * canvas size, else stretched over targetWidth x targetHeight (SRCCOPY). */
    void copyTo(HDC target, int targetWidth, int targetHeight) const;

private:
    int width_;
    int height_;
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ previous_ = nullptr;
};

}  // namespace wd
