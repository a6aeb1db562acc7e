#include "platform/gdi/raster.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace wd::gdi::raster {

namespace {

// floor((2a + n) / 2n) for n > 0: a / n rounded to nearest, halves upward.
long long roundedQuotient(long long a, long long n) {
    long long num = 2 * a + n, den = 2 * n;
    long long q = num / den;
    if ((num % den != 0) && ((num < 0) != (den < 0))) --q;
    return q;
}

void stamp(Surface& surface, const PixelRect& area, int x, int y, int width, uint32_t pixel) {
    if (width <= 1) {
        if (area.contains(x, y)) surface.set(x, y, pixel);
        return;
    }
    const int x0 = x - width / 2, y0 = y - width / 2;
    surface.fill(PixelRect{x0, y0, x0 + width, y0 + width}.intersect(area), pixel);
}

}  // namespace

// The steps [first, last) of [from, to) where a coordinate, monotone in the step, lies in
// [lo, hi).
template <class Coordinate>
void narrow(long long& from, long long& to, Coordinate at, long long lo, long long hi) {
    if (from >= to) return;
    const bool rising = at(to - 1) >= at(from);
    // The first step whose coordinate has passed `edge` (>= edge rising, < edge falling).
    auto firstPast = [&](long long edge) {
        long long a = from, b = to;
        while (a < b) {
            const long long m = a + (b - a) / 2;
            if (rising ? at(m) >= edge : at(m) < edge) {
                b = m;
            } else {
                a = m + 1;
            }
        }
        return a;
    };
    const long long enter = rising ? firstPast(lo) : firstPast(hi);
    const long long leave = rising ? firstPast(hi) : firstPast(lo);
    from = enter;
    to = std::max(enter, leave);
}

void line(Surface& surface, const PixelRect& clip, int x0, int y0, int x1, int y1, int width, uint32_t pixel) {
    const PixelRect area = clip.intersect(surface.bounds());
    if (area.empty()) return;
    const long long dx = static_cast<long long>(x1) - x0, dy = static_cast<long long>(y1) - y0;
    const long long steps = std::max(std::llabs(dx), std::llabs(dy));
    const bool alongX = std::llabs(dx) >= std::llabs(dy);
    auto xAt = [&](long long i) -> long long {
        return alongX ? x0 + (dx > 0 ? i : -i) : x0 + roundedQuotient(i * dx, steps);
    };
    auto yAt = [&](long long i) -> long long {
        return alongX ? y0 + roundedQuotient(i * dy, steps) : y0 + (dy > 0 ? i : -i);
    };
    // Only the steps whose pen can touch the area are walked: a line thousands of pixels
    // long (damaged samples drawn at full size) costs no more than the area it crosses.
    const long long margin = width / 2 + 1;
    long long from = 0, to = steps;
    narrow(from, to, xAt, area.left - margin, area.right + margin);
    narrow(from, to, yAt, area.top - margin, area.bottom + margin);
    for (long long i = from; i < to; ++i) stamp(surface, area, static_cast<int>(xAt(i)), static_cast<int>(yAt(i)), width, pixel);
}

void fillPolygon(Surface& surface, const PixelRect& clip, const std::vector<Point>& points, uint32_t pixel) {
    const PixelRect area = clip.intersect(surface.bounds());
    if (area.empty() || points.size() < 3) return;
    int top = points[0].y, bottom = points[0].y;
    for (const Point& p : points) {
        top = std::min(top, p.y);
        bottom = std::max(bottom, p.y);
    }
    top = std::max(top, area.top);
    bottom = std::min(bottom, area.bottom);
    std::vector<double> crossings;
    for (int y = top; y < bottom; ++y) {
        const double cy = y + 0.5;
        crossings.clear();
        for (size_t i = 0; i < points.size(); ++i) {
            const Point& a = points[i];
            const Point& b = points[(i + 1) % points.size()];
            if ((a.y <= cy && cy < b.y) || (b.y <= cy && cy < a.y)) {
                crossings.push_back(a.x + (cy - a.y) * (b.x - a.x) / static_cast<double>(b.y - a.y));
            }
        }
        std::sort(crossings.begin(), crossings.end());
        for (size_t i = 0; i + 1 < crossings.size(); i += 2) {
            // Pixel x is inside when crossing_left <= x + 0.5 < crossing_right.
            const int from = static_cast<int>(std::ceil(crossings[i] - 0.5));
            const int to = static_cast<int>(std::ceil(crossings[i + 1] - 0.5));
            surface.fill(PixelRect{from, y, to, y + 1}.intersect(area), pixel);
        }
    }
}

void copy(Surface& target, const PixelRect& clip, int x, int y, int width, int height, const Surface& source,
          int sourceX, int sourceY) {
    // Destination rectangle limited by the clip, the target and the source's extent.
    PixelRect dest = PixelRect{x, y, x + width, y + height}.intersect(clip).intersect(target.bounds());
    dest = dest.intersect(source.bounds().offset(x - sourceX, y - sourceY));
    if (dest.empty()) return;
    const int shiftX = sourceX - x, shiftY = sourceY - y;
    std::vector<uint32_t> rowBuffer(static_cast<size_t>(dest.width()));
    const bool downward = &target == &source && shiftY < 0;  // copy bottom-up when rows overlap downward
    for (int i = 0; i < dest.height(); ++i) {
        const int row = downward ? dest.bottom - 1 - i : dest.top + i;
        const uint32_t* from = source.row(row + shiftY) + dest.left + shiftX;
        std::copy_n(from, dest.width(), rowBuffer.data());
        std::copy_n(rowBuffer.data(), dest.width(), target.row(row) + dest.left);
    }
}

void stretch(Surface& target, const PixelRect& clip, int x, int y, int width, int height, const Surface& source,
             int sourceX, int sourceY, int sourceWidth, int sourceHeight) {
    if (width <= 0 || height <= 0 || sourceWidth <= 0 || sourceHeight <= 0) return;
    const PixelRect dest = PixelRect{x, y, x + width, y + height}.intersect(clip).intersect(target.bounds());
    if (dest.empty()) return;
    const Surface* from = &source;
    Surface snapshot(0, 0);
    if (&target == &source) {  // reading what this call overwrites: work from a copy
        snapshot = source;
        from = &snapshot;
    }
    std::vector<int> columns(static_cast<size_t>(dest.width()));
    for (int dx = dest.left; dx < dest.right; ++dx) {
        const long long i = dx - x;
        columns[static_cast<size_t>(dx - dest.left)] = static_cast<int>(sourceX + (2 * i + 1) * sourceWidth / (2LL * width));
    }
    for (int dy = dest.top; dy < dest.bottom; ++dy) {
        const long long j = dy - y;
        const int sy = static_cast<int>(sourceY + (2 * j + 1) * sourceHeight / (2LL * height));
        if (sy < 0 || sy >= from->height()) continue;
        const uint32_t* src = from->row(sy);
        uint32_t* dst = target.row(dy);
        for (int dx = dest.left; dx < dest.right; ++dx) {
            const int sx = columns[static_cast<size_t>(dx - dest.left)];
            if (sx >= 0 && sx < from->width()) dst[dx] = src[sx];
        }
    }
}

}  // namespace wd::gdi::raster
