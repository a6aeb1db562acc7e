#include "ui/offscreen_canvas.h"

namespace wd {

OffscreenCanvas::OffscreenCanvas(HDC reference, int width, int height) : width_(width), height_(height) {
    dc_ = CreateCompatibleDC(reference);
    if (!dc_) return;
    bitmap_ = CreateCompatibleBitmap(reference, width > 0 ? width : 1, height > 0 ? height : 1);
    if (bitmap_) previous_ = SelectObject(dc_, bitmap_);
}

OffscreenCanvas::~OffscreenCanvas() {
    if (dc_ && previous_) SelectObject(dc_, previous_);
    if (bitmap_) DeleteObject(bitmap_);
    if (dc_) DeleteDC(dc_);
}

void OffscreenCanvas::copyTo(HDC target, int targetWidth, int targetHeight) const {
    if (!dc_ || !bitmap_) return;
    if (targetWidth == width_ && targetHeight == height_) {
        BitBlt(target, 0, 0, width_, height_, dc_, 0, 0, SRCCOPY);
    } else {
        StretchBlt(target, 0, 0, targetWidth, targetHeight, dc_, 0, 0, width_, height_, SRCCOPY);
    }
}

}  // namespace wd
