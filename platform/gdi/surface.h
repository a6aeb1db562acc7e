// Pixel storage shared by bitmaps, window backing stores and the display: 32-bit
// pixels 0x00RRGGBB, rows top to bottom, no padding.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "wavedeck_types.h"

namespace wd::gdi {

/** A rectangle in device pixels, right and bottom excluded. */
struct PixelRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    bool empty() const { return right <= left || bottom <= top; }
    int width() const { return right - left; }
    int height() const { return bottom - top; }
    bool contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
    PixelRect intersect(const PixelRect& o) const {
        PixelRect r{std::max(left, o.left), std::max(top, o.top), std::min(right, o.right), std::min(bottom, o.bottom)};
        if (r.empty()) return {};
        return r;
    }
    PixelRect unite(const PixelRect& o) const {
        if (empty()) return o;
        if (o.empty()) return *this;
        return {std::min(left, o.left), std::min(top, o.top), std::max(right, o.right), std::max(bottom, o.bottom)};
    }
    PixelRect offset(int dx, int dy) const { return {left + dx, top + dy, right + dx, bottom + dy}; }
};

/** COLORREF (0x00BBGGRR) to a pixel (0x00RRGGBB) and back. */
inline uint32_t pixelOf(COLORREF c) { return (c & 0xFFu) << 16 | (c & 0xFF00u) | (c >> 16 & 0xFFu); }
inline COLORREF colorOf(uint32_t p) { return (p >> 16 & 0xFFu) | (p & 0xFF00u) | (p & 0xFFu) << 16; }

class Surface {
public:
    Surface(int width, int height) { resize(width, height); }

    int width() const { return width_; }
    int height() const { return height_; }
    PixelRect bounds() const { return {0, 0, width_, height_}; }
    uint32_t* row(int y) { return pixels_.data() + static_cast<size_t>(y) * static_cast<size_t>(width_); }
    const uint32_t* row(int y) const { return pixels_.data() + static_cast<size_t>(y) * static_cast<size_t>(width_); }
    uint32_t at(int x, int y) const { return row(y)[x]; }
    void set(int x, int y, uint32_t p) { row(y)[x] = p; }

    /** Changes the size keeping the pixels that still fit; new pixels are black. */
    void resize(int width, int height) {
        width = std::max(width, 0);
        height = std::max(height, 0);
        if (width == width_ && height == height_) return;
        std::vector<uint32_t> next(static_cast<size_t>(width) * static_cast<size_t>(height), 0);
        for (int y = 0; y < std::min(height, height_); ++y) {
            std::copy_n(row(y), std::min(width, width_), next.data() + static_cast<size_t>(y) * static_cast<size_t>(width));
        }
        pixels_.swap(next);
        width_ = width;
        height_ = height;
    }

    /** Fills the part of the rectangle that lies inside the surface. */
    void fill(const PixelRect& rect, uint32_t p) {
        PixelRect r = rect.intersect(bounds());
        for (int y = r.top; y < r.bottom; ++y) std::fill(row(y) + r.left, row(y) + r.right, p);
    }

private:
    int width_ = 0;
    int height_ = 0;
    std::vector<uint32_t> pixels_;
};

}  // namespace wd::gdi
