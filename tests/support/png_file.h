// Pictures the library or the host wrote, read back with libpng.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace wdtest {

/** An RGB picture: pixels 0x00RRGGBB, rows top to bottom. */
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
    uint32_t at(int x, int y) const { return pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)]; }
};

/** Reads a PNG file; an empty picture (width 0) when it cannot be read. */
Picture readPng(const std::string& path);

}  // namespace wdtest
