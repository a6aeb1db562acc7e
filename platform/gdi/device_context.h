// A device context: the drawing state (selected pen, brush, font and bitmap, current
// position, text colour and background mode) and the drawing operations on its target.
// A memory DC draws into its selected bitmap; a window DC into the window's backing
// store, offset to the client area and clipped to it (or to the part being painted).
// Not thread-safe: a device context is used by one thread at a time.
#pragma once

#include <memory>
#include <string_view>
#include <vector>

#include "platform/gdi/gdi_object.h"
#include "platform/gdi/raster.h"
#include "wavedeck_win.h"

namespace wd::gdi {

class DeviceContext : public GdiObject {
public:
    /** A memory DC holding the stock 1 x 1 bitmap. */
    static std::shared_ptr<DeviceContext> makeMemory();
    /** A DC on a window's backing store: logical (0, 0) is device (originX, originY);
     * drawing is limited to clip (device pixels). */
    static std::shared_ptr<DeviceContext> makeWindow(std::shared_ptr<Surface> surface, int originX, int originY,
                                                     const PixelRect& clip, HWND window);
    ~DeviceContext() override;

    bool isMemory() const { return window_ == nullptr; }
    HWND window() const { return window_; }

    /** Selects the object and returns the handle it replaced; 0 for an object this DC
     * cannot take (a bitmap in a window DC, a bitmap selected elsewhere). */
    uintptr_t select(uintptr_t handle, const std::shared_ptr<GdiObject>& object);

    int setBkMode(int mode);
    COLORREF setBkColor(COLORREF color);
    COLORREF setTextColor(COLORREF color);
    int setStretchMode(int mode);

    void fillRect(const RECT& rect, const Brush& brush);
    void rectangle(int left, int top, int right, int bottom);
    void polygon(const std::vector<raster::Point>& points);
    /** Returns the colour set, or CLR_INVALID outside the clip. */
    COLORREF setPixel(int x, int y, COLORREF color);
    COLORREF getPixel(int x, int y) const;
    POINT moveTo(int x, int y);
    void lineTo(int x, int y);
    bool textOut(int x, int y, std::string_view text);
    int drawText(std::string_view text, RECT* rect, UINT format);
    bool textExtent(std::string_view text, SIZE* size) const;
    bool bitBlt(int x, int y, int width, int height, const DeviceContext* source, int sourceX, int sourceY, DWORD rop);
    bool stretchBlt(int x, int y, int width, int height, const DeviceContext& source, int sourceX, int sourceY,
                    int sourceWidth, int sourceHeight);

    /** The surface drawn on and the clip in device pixels (the surface's bounds
     * included). */
    Surface& target() const;
    PixelRect deviceClip() const;

private:
    DeviceContext() : GdiObject(ObjectKind::DeviceContext) {}
    struct Selected {
        uintptr_t handle = 0;
        std::shared_ptr<GdiObject> object;
    };
    Selected& slot(ObjectKind kind);
    const Pen& pen() const;
    const Brush& brush() const;
    const FontRequest& font() const;
    void drawTextLine(std::string_view text, int x, int y, const PixelRect& clip);

    HWND window_ = nullptr;
    std::shared_ptr<Surface> windowSurface_;
    int originX_ = 0;
    int originY_ = 0;
    PixelRect clip_;
    Selected pen_, brush_, font_, bitmap_;
    POINT position_{0, 0};
    int bkMode_ = OPAQUE;
    uint32_t bkPixel_ = 0xFFFFFF;
    uint32_t textPixel_ = 0x000000;
    int stretchMode_ = 1;
};

}  // namespace wd::gdi
