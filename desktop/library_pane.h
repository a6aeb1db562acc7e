// A GTK drawing area that shows one of the library's windows: the window lives in a
// top-level host window placed at the area's position in the GTK window, so a pointer
// event at an area point is the same screen point for the library. The area repaints
// only when the library says the pixels changed.
#pragma once

#include <gtk/gtk.h>

#include <functional>
#include <memory>
#include <vector>

#include "host_window.h"
#include "wavedeck_win.h"

namespace desktop {

class LibraryPane {
public:
    /** Makes the library's window as a child of parent at (0, 0) in the given size. */
    using Factory = std::function<HWND(HWND parent, int width, int height)>;

    /** width/height: the size asked for at first (-1: whatever the layout gives). */
    LibraryPane(const char* name, int width, int height, Factory factory);
    ~LibraryPane();
    LibraryPane(const LibraryPane&) = delete;
    LibraryPane& operator=(const LibraryPane&) = delete;

    GtkWidget* widget() const { return area_; }
    HWND frame() const { return frame_->handle(); }
    HWND child() const { return child_; }
    /** Ctrl + wheel over the pane: +1 a notch away from the user, -1 towards. */
    void onZoom(std::function<void(int)> zoom) { zoom_ = std::move(zoom); }
    /** Told of every button press, at its area point, before the library gets it. */
    void onPress(std::function<void(int, int)> press) { press_ = std::move(press); }
    /** The last button press or release over the area (a menu opened for it needs one),
     * or null. */
    const GdkEvent* lastButtonEvent() const { return lastButton_; }
    /** The pixels (0xRRGGBB) of row y as last shown; empty before the first picture. */
    std::vector<uint32_t> row(int y) const;
    /** Times the area was drawn (what a redraw costs is counted by the tests). */
    long draws() const { return draws_; }

private:
    static gboolean onDraw(GtkWidget*, cairo_t* cr, gpointer self);
    static void onAllocate(GtkWidget*, GdkRectangle*, gpointer self);
    static gboolean onButton(GtkWidget*, GdkEventButton* e, gpointer self);
    static gboolean onMotion(GtkWidget*, GdkEventMotion* e, gpointer self);
    static gboolean onScroll(GtkWidget*, GdkEventScroll* e, gpointer self);
    /** The screen point of an area point. */
    POINT screen(double x, double y) const;
    void place();

    const char* name_;
    GtkWidget* area_ = nullptr;
    std::unique_ptr<HostWindow> frame_;
    HWND child_ = nullptr;
    Factory factory_;
    std::function<void(int)> zoom_;
    std::function<void(int, int)> press_;
    cairo_surface_t* image_ = nullptr;
    GdkEvent* lastButton_ = nullptr;
    int x_ = 0;
    int y_ = 0;
    long draws_ = 0;
};

}  // namespace desktop
