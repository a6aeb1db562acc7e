#include "platform/display/png_file.h"

#include <png.h>

#include <vector>

namespace wd::display {

bool writePng(const gdi::Surface& surface, const std::string& path) {
    if (surface.width() <= 0 || surface.height() <= 0) return false;
    std::vector<uint8_t> rgb(static_cast<size_t>(surface.width()) * static_cast<size_t>(surface.height()) * 3);
    size_t i = 0;
    for (int y = 0; y < surface.height(); ++y) {
        for (int x = 0; x < surface.width(); ++x) {
            const uint32_t p = surface.at(x, y);
            rgb[i++] = static_cast<uint8_t>(p >> 16);
            rgb[i++] = static_cast<uint8_t>(p >> 8);
            rgb[i++] = static_cast<uint8_t>(p);
        }
    }
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(surface.width());
    image.height = static_cast<png_uint_32>(surface.height());
    image.format = PNG_FORMAT_RGB;
    const bool ok = png_image_write_to_file(&image, path.c_str(), 0, rgb.data(), 0, nullptr) != 0;
    png_image_free(&image);
    return ok;
}

}  // namespace wd::display
