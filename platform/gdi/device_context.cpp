#include "platform/gdi/device_context.h"

#include <algorithm>
#include <utility>

#include "platform/gdi/font_engine.h"
#include "platform/gdi/gdi_handles.h"

namespace wd::gdi {

namespace {

std::vector<std::string_view> splitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    size_t start = 0;
    while (true) {
        size_t end = text.find('\n', start);
        std::string_view lineText = text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
        if (!lineText.empty() && lineText.back() == '\r') lineText.remove_suffix(1);
        lines.push_back(lineText);
        if (end == std::string_view::npos) break;
        start = end + 1;
    }
    return lines;
}

}  // namespace

std::shared_ptr<DeviceContext> DeviceContext::makeMemory() {
    auto& handles = GdiHandles::instance();
    std::shared_ptr<DeviceContext> dc(new DeviceContext);
    const uintptr_t bitmap = handles.defaultBitmap();
    dc->select(bitmap, handles.find(bitmap));
    for (int stock : {BLACK_PEN, WHITE_BRUSH, SYSTEM_FONT}) {
        const uintptr_t handle = handles.stock(stock);
        dc->select(handle, handles.find(handle));
    }
    return dc;
}

std::shared_ptr<DeviceContext> DeviceContext::makeWindow(std::shared_ptr<Surface> surface, int originX, int originY,
                                                         const PixelRect& clip, HWND window) {
    auto& handles = GdiHandles::instance();
    std::shared_ptr<DeviceContext> dc(new DeviceContext);
    dc->window_ = window;
    dc->windowSurface_ = std::move(surface);
    dc->originX_ = originX;
    dc->originY_ = originY;
    dc->clip_ = clip;
    for (int stock : {BLACK_PEN, WHITE_BRUSH, SYSTEM_FONT}) {
        const uintptr_t handle = handles.stock(stock);
        dc->select(handle, handles.find(handle));
    }
    return dc;
}

DeviceContext::~DeviceContext() {
    for (Selected* s : {&pen_, &brush_, &font_, &bitmap_}) {
        if (s->object) s->object->dropSelection();
    }
}

DeviceContext::Selected& DeviceContext::slot(ObjectKind kind) {
    switch (kind) {
        case ObjectKind::Pen: return pen_;
        case ObjectKind::Brush: return brush_;
        case ObjectKind::Font: return font_;
        default: return bitmap_;
    }
}

uintptr_t DeviceContext::select(uintptr_t handle, const std::shared_ptr<GdiObject>& object) {
    if (!object || object->kind() == ObjectKind::DeviceContext) return 0;
    if (object->kind() == ObjectKind::Bitmap) {
        if (!isMemory()) return 0;
        // A bitmap lives in one memory DC at a time (the stock bitmap excepted).
        if (!object->stock() && object->selections() > 0 && bitmap_.object != object) return 0;
    }
    Selected& s = slot(object->kind());
    const uintptr_t previous = s.handle;
    if (s.object) s.object->dropSelection();
    object->addSelection();
    s = {handle, object};
    return previous;
}

const Pen& DeviceContext::pen() const { return static_cast<const Pen&>(*pen_.object); }
const Brush& DeviceContext::brush() const { return static_cast<const Brush&>(*brush_.object); }
const FontRequest& DeviceContext::font() const { return static_cast<const Font&>(*font_.object).request(); }

Surface& DeviceContext::target() const {
    if (windowSurface_) return *windowSurface_;
    return *static_cast<const Bitmap&>(*bitmap_.object).surface();
}

PixelRect DeviceContext::deviceClip() const {
    if (windowSurface_) return clip_.intersect(windowSurface_->bounds());
    return target().bounds();
}

int DeviceContext::setBkMode(int mode) {
    if (mode != TRANSPARENT && mode != OPAQUE) return 0;
    return std::exchange(bkMode_, mode);
}

COLORREF DeviceContext::setBkColor(COLORREF color) { return colorOf(std::exchange(bkPixel_, pixelOf(color))); }
COLORREF DeviceContext::setTextColor(COLORREF color) { return colorOf(std::exchange(textPixel_, pixelOf(color))); }
int DeviceContext::setStretchMode(int mode) { return std::exchange(stretchMode_, mode); }

void DeviceContext::fillRect(const RECT& rect, const Brush& fill) {
    if (fill.hollow()) return;
    PixelRect r{rect.left + originX_, rect.top + originY_, rect.right + originX_, rect.bottom + originY_};
    target().fill(r.intersect(deviceClip()), fill.pixel());
}

void DeviceContext::rectangle(int left, int top, int right, int bottom) {
    if (left > right) std::swap(left, right);
    if (top > bottom) std::swap(top, bottom);
    const Pen& outline = pen();
    const Brush& fill = brush();
    if (outline.null()) {
        // Without an outline the filled area is one pixel narrower and shorter.
        if (!fill.hollow()) fillRect(RECT{left, top, right - 1, bottom - 1}, fill);
        return;
    }
    if (!fill.hollow()) fillRect(RECT{left + 1, top + 1, right - 1, bottom - 1}, fill);
    const POINT saved = position_;
    moveTo(left, top);
    lineTo(right - 1, top);
    lineTo(right - 1, bottom - 1);
    lineTo(left, bottom - 1);
    lineTo(left, top);
    position_ = saved;
}

void DeviceContext::polygon(const std::vector<raster::Point>& points) {
    if (points.size() < 2) return;
    std::vector<raster::Point> device(points);
    for (auto& p : device) {
        p.x += originX_;
        p.y += originY_;
    }
    if (!brush().hollow()) raster::fillPolygon(target(), deviceClip(), device, brush().pixel());
    const Pen& outline = pen();
    if (outline.null()) return;
    for (size_t i = 0; i < device.size(); ++i) {
        const auto& a = device[i];
        const auto& b = device[(i + 1) % device.size()];
        raster::line(target(), deviceClip(), a.x, a.y, b.x, b.y, outline.width(), outline.pixel());
    }
}

COLORREF DeviceContext::setPixel(int x, int y, COLORREF color) {
    x += originX_;
    y += originY_;
    if (!deviceClip().contains(x, y)) return CLR_INVALID;
    target().set(x, y, pixelOf(color));
    return color & 0xFFFFFF;
}

COLORREF DeviceContext::getPixel(int x, int y) const {
    x += originX_;
    y += originY_;
    if (!deviceClip().contains(x, y)) return CLR_INVALID;
    return colorOf(target().at(x, y));
}

POINT DeviceContext::moveTo(int x, int y) { return std::exchange(position_, POINT{x, y}); }

void DeviceContext::lineTo(int x, int y) {
    const Pen& p = pen();
    if (!p.null()) {
        raster::line(target(), deviceClip(), position_.x + originX_, position_.y + originY_, x + originX_, y + originY_,
                     p.width(), p.pixel());
    }
    position_ = {x, y};
}

void DeviceContext::drawTextLine(std::string_view text, int x, int y, const PixelRect& clip) {
    if (bkMode_ == OPAQUE) {
        int width = 0;
        FontMetrics metrics;
        if (FontEngine::instance().measure(font(), text, &width, &metrics)) {
            target().fill(PixelRect{x, y, x + width, y + metrics.height()}.intersect(clip), bkPixel_);
        }
    }
    FontEngine::instance().draw(font(), text, target(), x, y, clip, textPixel_);
}

bool DeviceContext::textOut(int x, int y, std::string_view text) {
    drawTextLine(text, x + originX_, y + originY_, deviceClip());
    return true;
}

bool DeviceContext::textExtent(std::string_view text, SIZE* size) const {
    int width = 0;
    FontMetrics metrics;
    if (!FontEngine::instance().measure(font(), text, &width, &metrics)) return false;
    size->cx = width;
    size->cy = metrics.height();
    return true;
}

int DeviceContext::drawText(std::string_view text, RECT* rect, UINT format) {
    FontMetrics metrics;
    if (!FontEngine::instance().measure(font(), "", nullptr, &metrics)) return 0;
    std::vector<std::string_view> lines;
    if (format & DT_SINGLELINE) {
        lines.push_back(text);
    } else {
        lines = splitLines(text);
    }
    const int lineHeight = metrics.height();
    const int totalHeight = lineHeight * static_cast<int>(lines.size());
    std::vector<int> widths;
    int widest = 0;
    for (auto lineText : lines) {
        int w = 0;
        FontEngine::instance().measure(font(), lineText, &w, nullptr);
        widths.push_back(w);
        widest = std::max(widest, w);
    }
    if (format & DT_CALCRECT) {
        rect->right = rect->left + widest;
        rect->bottom = rect->top + totalHeight;
        return totalHeight;
    }
    const int rectWidth = rect->right - rect->left, rectHeight = rect->bottom - rect->top;
    int y = rect->top;
    if (format & DT_SINGLELINE) {
        if (format & DT_VCENTER) {
            y = rect->top + (rectHeight - lineHeight) / 2;
        } else if (format & DT_BOTTOM) {
            y = rect->bottom - lineHeight;
        }
    }
    PixelRect clip = deviceClip();
    if (!(format & DT_NOCLIP)) {
        clip = clip.intersect(PixelRect{rect->left, rect->top, rect->right, rect->bottom}.offset(originX_, originY_));
    }
    for (size_t i = 0; i < lines.size(); ++i) {
        int x = rect->left;
        if (format & DT_CENTER) {
            x = rect->left + (rectWidth - widths[i]) / 2;
        } else if (format & DT_RIGHT) {
            x = rect->right - widths[i];
        }
        drawTextLine(lines[i], x + originX_, y + originY_, clip);
        y += lineHeight;
    }
    return totalHeight;
}

bool DeviceContext::bitBlt(int x, int y, int width, int height, const DeviceContext* source, int sourceX, int sourceY,
                           DWORD rop) {
    const PixelRect dest = PixelRect{x, y, x + width, y + height}.offset(originX_, originY_);
    switch (rop) {
        case SRCCOPY:
            if (!source) return false;
            raster::copy(target(), deviceClip(), dest.left, dest.top, width, height, source->target(),
                         sourceX + source->originX_, sourceY + source->originY_);
            return true;
        case PATCOPY:
            if (!brush().hollow()) target().fill(dest.intersect(deviceClip()), brush().pixel());
            return true;
        case BLACKNESS: target().fill(dest.intersect(deviceClip()), 0x000000); return true;
        case WHITENESS: target().fill(dest.intersect(deviceClip()), 0xFFFFFF); return true;
        default: return false;
    }
}

bool DeviceContext::stretchBlt(int x, int y, int width, int height, const DeviceContext& source, int sourceX,
                               int sourceY, int sourceWidth, int sourceHeight) {
    if (width <= 0 || height <= 0 || sourceWidth <= 0 || sourceHeight <= 0) return false;
    raster::stretch(target(), deviceClip(), x + originX_, y + originY_, width, height, source.target(),
                    sourceX + source.originX_, sourceY + source.originY_, sourceWidth, sourceHeight);
    return true;
}

}  // namespace wd::gdi
