// The drawing objects behind GDI handles: pens, brushes, fonts, bitmaps (device
// contexts are objects too, see device_context.h).
#pragma once

#include <atomic>
#include <memory>
#include <string>

#include "platform/gdi/font_engine.h"
#include "platform/gdi/surface.h"

namespace wd::gdi {

/** Values are the OBJ_* numbers of the Windows interface. */
enum class ObjectKind { Pen = 1, Brush = 2, DeviceContext = 3, Font = 6, Bitmap = 7 };

class GdiObject {
public:
    explicit GdiObject(ObjectKind kind) : kind_(kind) {}
    virtual ~GdiObject() = default;
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;

    ObjectKind kind() const { return kind_; }
    /** Stock objects are shared, never counted and never deleted. */
    bool stock() const { return stock_; }
    void markStock() { stock_ = true; }
    /** Number of device contexts this object is selected into; a selected object
     * cannot be deleted. Atomic: a worker may delete objects while the UI thread draws. */
    int selections() const { return selections_.load(); }
    void addSelection() { ++selections_; }
    void dropSelection() { --selections_; }

private:
    ObjectKind kind_;
    bool stock_ = false;
    std::atomic<int> selections_{0};
};

class Pen : public GdiObject {
public:
    Pen(int style, int width, uint32_t pixel) : GdiObject(ObjectKind::Pen), style_(style), width_(width < 1 ? 1 : width), pixel_(pixel) {}
    bool null() const { return style_ == 5; }
    int width() const { return width_; }
    uint32_t pixel() const { return pixel_; }

private:
    int style_;
    int width_;
    uint32_t pixel_;
};

class Brush : public GdiObject {
public:
    /** A hollow brush paints nothing. */
    Brush(bool hollow, uint32_t pixel) : GdiObject(ObjectKind::Brush), hollow_(hollow), pixel_(pixel) {}
    bool hollow() const { return hollow_; }
    uint32_t pixel() const { return pixel_; }

private:
    bool hollow_;
    uint32_t pixel_;
};

class Font : public GdiObject {
public:
    explicit Font(FontRequest request) : GdiObject(ObjectKind::Font), request_(std::move(request)) {}
    const FontRequest& request() const { return request_; }

private:
    FontRequest request_;
};

class Bitmap : public GdiObject {
public:
    Bitmap(int width, int height) : GdiObject(ObjectKind::Bitmap), surface_(std::make_shared<Surface>(width, height)) {}
    const std::shared_ptr<Surface>& surface() const { return surface_; }

private:
    std::shared_ptr<Surface> surface_;
};

}  // namespace wd::gdi
