#include "library_pane.h"

#include "event_log.h"

namespace desktop {

namespace {
constexpr UINT kPixelsChanged = WM_USER + 900;
}

LibraryPane::LibraryPane(const char* name, int width, int height, Factory factory) : name_(name), factory_(std::move(factory)) {
    area_ = gtk_drawing_area_new();
    g_object_ref_sink(area_);
    gtk_widget_set_size_request(area_, width, height);
    gtk_widget_add_events(area_, GDK_BUTTON_PRESS_MASK | GDK_BUTTON_RELEASE_MASK | GDK_POINTER_MOTION_MASK | GDK_SCROLL_MASK);
    frame_ = std::make_unique<HostWindow>(
        [this](UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
            if (message == kPixelsChanged) {
                gtk_widget_queue_draw(area_);
                return 0;
            }
            if (message == WM_MOUSEWHEEL || message == WM_MOUSEHWHEEL) return 0;  // nobody scrolls here
            return std::nullopt;
        },
        false, 0, 0, std::max(width, 1), std::max(height, 1));
    child_ = factory_(frame_->handle(), std::max(width, 1), std::max(height, 1));
    WDXWatchWindowPixels(frame_->handle(), frame_->handle(), kPixelsChanged);
    g_signal_connect(area_, "draw", G_CALLBACK(&LibraryPane::onDraw), this);
    g_signal_connect(area_, "size-allocate", G_CALLBACK(&LibraryPane::onAllocate), this);
    g_signal_connect(area_, "button-press-event", G_CALLBACK(&LibraryPane::onButton), this);
    g_signal_connect(area_, "button-release-event", G_CALLBACK(&LibraryPane::onButton), this);
    g_signal_connect(area_, "motion-notify-event", G_CALLBACK(&LibraryPane::onMotion), this);
    g_signal_connect(area_, "scroll-event", G_CALLBACK(&LibraryPane::onScroll), this);
    // Only a pane on the screen takes the pointer: a hidden one must not catch clicks.
    g_signal_connect(area_, "map", G_CALLBACK(+[](GtkWidget*, gpointer self) {
        static_cast<LibraryPane*>(self)->place();
        ShowWindow(static_cast<LibraryPane*>(self)->frame(), SW_SHOW);
    }), this);
    g_signal_connect(area_, "unmap", G_CALLBACK(+[](GtkWidget*, gpointer self) {
        ShowWindow(static_cast<LibraryPane*>(self)->frame(), SW_HIDE);
    }), this);
}

LibraryPane::~LibraryPane() {
    g_signal_handlers_disconnect_by_data(area_, this);
    if (image_) cairo_surface_destroy(image_);
    if (lastButton_) gdk_event_free(lastButton_);
    g_object_unref(area_);
}

POINT LibraryPane::screen(double x, double y) const {
    return POINT{x_ + static_cast<int>(x), y_ + static_cast<int>(y)};
}

void LibraryPane::place() {
    // The host window takes the area's place in the GTK window, so the library's screen
    // coordinates are the GTK window's.
    GtkWidget* top = gtk_widget_get_toplevel(area_);
    GtkAllocation a;
    gtk_widget_get_allocation(area_, &a);
    // Before the window is realized the allocation is the place (the area's parents
    // have no windows of their own); afterwards GTK translates.
    int x = a.x, y = a.y;
    if (top && top != area_ && !gtk_widget_translate_coordinates(area_, top, 0, 0, &x, &y)) {
        x = a.x;
        y = a.y;
    }
    x_ = x;
    y_ = y;
    const int width = gtk_widget_get_allocated_width(area_), height = gtk_widget_get_allocated_height(area_);
    MoveWindow(frame_->handle(), x, y, width, height, FALSE);
    MoveWindow(child_, 0, 0, width, height, TRUE);
    EventLog::instance().event(std::string("pane ") + name_ + " " + std::to_string(x) + " " + std::to_string(y) + " " + std::to_string(width) + " " +
                               std::to_string(height));
}

void LibraryPane::onAllocate(GtkWidget*, GdkRectangle*, gpointer self) { static_cast<LibraryPane*>(self)->place(); }

std::vector<uint32_t> LibraryPane::row(int y) const {
    if (!image_ || y < 0 || y >= cairo_image_surface_get_height(image_)) return {};
    const auto* first = reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(image_) + y * cairo_image_surface_get_stride(image_));
    return std::vector<uint32_t>(first, first + cairo_image_surface_get_width(image_));
}

gboolean LibraryPane::onDraw(GtkWidget* widget, cairo_t* cr, gpointer data) {
    auto* self = static_cast<LibraryPane*>(data);
    const int width = gtk_widget_get_allocated_width(widget), height = gtk_widget_get_allocated_height(widget);
    if (!self->image_ || cairo_image_surface_get_width(self->image_) != width || cairo_image_surface_get_height(self->image_) != height) {
        if (self->image_) cairo_surface_destroy(self->image_);
        self->image_ = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    }
    // RGB24 keeps 0x00RRGGBB words, rows of width * 4 bytes: the capture's own layout.
    cairo_surface_flush(self->image_);
    if (cairo_image_surface_get_stride(self->image_) == width * 4 &&
        WDXCaptureWindowPixels(self->frame_->handle(), reinterpret_cast<DWORD*>(cairo_image_surface_get_data(self->image_)), width, height)) {
        cairo_surface_mark_dirty(self->image_);
    }
    cairo_set_source_surface(cr, self->image_, 0, 0);
    cairo_paint(cr);
    ++self->draws_;
    EventLog::instance().draw(self->name_);
    return TRUE;
}

gboolean LibraryPane::onButton(GtkWidget*, GdkEventButton* e, gpointer data) {
    auto* self = static_cast<LibraryPane*>(data);
    if (e->type != GDK_BUTTON_PRESS && e->type != GDK_BUTTON_RELEASE) return TRUE;  // double clicks come as two presses
    const bool down = e->type == GDK_BUTTON_PRESS;
    UINT message = 0;
    if (e->button == 1) message = down ? WM_LBUTTONDOWN : WM_LBUTTONUP;
    if (e->button == 3) message = down ? WM_RBUTTONDOWN : WM_RBUTTONUP;
    if (!message) return FALSE;
    if (self->lastButton_) gdk_event_free(self->lastButton_);
    self->lastButton_ = gdk_event_copy(reinterpret_cast<GdkEvent*>(e));
    if (down && self->press_) self->press_(static_cast<int>(e->x), static_cast<int>(e->y));
    const POINT p = self->screen(e->x, e->y);
    WDXInjectMouse(message, p.x, p.y);
    return TRUE;
}

gboolean LibraryPane::onMotion(GtkWidget*, GdkEventMotion* e, gpointer data) {
    auto* self = static_cast<LibraryPane*>(data);
    // While a button is held GTK keeps sending to this area, with points outside it: the
    // library's capturing window gets them, as a drag out of the track view needs.
    const POINT p = self->screen(e->x, e->y);
    WDXInjectMouse(WM_MOUSEMOVE, p.x, p.y);
    return TRUE;
}

gboolean LibraryPane::onScroll(GtkWidget*, GdkEventScroll* e, gpointer data) {
    auto* self = static_cast<LibraryPane*>(data);
    int vertical = 0, horizontal = 0;
    switch (e->direction) {
        case GDK_SCROLL_UP: vertical = 1; break;
        case GDK_SCROLL_DOWN: vertical = -1; break;
        case GDK_SCROLL_LEFT: horizontal = -1; break;
        case GDK_SCROLL_RIGHT: horizontal = 1; break;
        default: return FALSE;
    }
    if ((e->state & GDK_CONTROL_MASK) && vertical && self->zoom_) {
        self->zoom_(vertical);
        return TRUE;
    }
    const POINT p = self->screen(e->x, e->y);
    if (vertical) WDXInjectMouseWheel(WM_MOUSEWHEEL, vertical * WHEEL_DELTA, p.x, p.y);
    if (horizontal) WDXInjectMouseWheel(WM_MOUSEHWHEEL, horizontal * WHEEL_DELTA, p.x, p.y);
    return TRUE;
}

}  // namespace desktop
