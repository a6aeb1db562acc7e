#include "desktop/screen_capture.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <png.h>

#include <cstdint>
#include <vector>

namespace wdtest {

bool captureScreen(const std::string& display, const std::string& path) {
    ::Display* x = XOpenDisplay(display.c_str());
    if (!x) return false;
    const Window root = DefaultRootWindow(x);
    XWindowAttributes a;
    XGetWindowAttributes(x, root, &a);
    XImage* image = XGetImage(x, root, 0, 0, static_cast<unsigned>(a.width), static_cast<unsigned>(a.height), AllPlanes, ZPixmap);
    if (!image) {
        XCloseDisplay(x);
        return false;
    }
    std::vector<uint8_t> rgb;
    rgb.reserve(static_cast<size_t>(a.width) * static_cast<size_t>(a.height) * 3);
    for (int y = 0; y < a.height; ++y) {
        for (int column = 0; column < a.width; ++column) {
            const unsigned long p = XGetPixel(image, column, y);
            rgb.insert(rgb.end(), {static_cast<uint8_t>(p >> 16), static_cast<uint8_t>(p >> 8), static_cast<uint8_t>(p)});
        }
    }
    XDestroyImage(image);
    XCloseDisplay(x);
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    png.width = static_cast<png_uint_32>(a.width);
    png.height = static_cast<png_uint_32>(a.height);
    png.format = PNG_FORMAT_RGB;
    return png_image_write_to_file(&png, path.c_str(), 0, rgb.data(), 0, nullptr) != 0;
}

}  // namespace wdtest
