#include "platform/gdi/dib_decoder.h"

namespace wd::gdi {

namespace {

uint32_t read32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24; }
uint16_t read16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

constexpr int32_t kMaxSide = 16384;

}  // namespace

std::optional<Surface> decodeDib(const uint8_t* data, size_t size) {
    if (!data) return std::nullopt;
    size_t header = 0;
    size_t bitsOffset = 0;
    bool fileHeader = size >= 14 && data[0] == 'B' && data[1] == 'M';
    if (fileHeader) {
        header = 14;
        bitsOffset = read32(data + 10);
    }
    if (size < header + 40) return std::nullopt;
    const uint8_t* info = data + header;
    const uint32_t infoSize = read32(info);
    const int32_t width = static_cast<int32_t>(read32(info + 4));
    const int32_t rawHeight = static_cast<int32_t>(read32(info + 8));
    const uint16_t bits = read16(info + 14);
    const uint32_t compression = read32(info + 16);
    uint32_t paletteCount = read32(info + 32);
    if (infoSize < 40 || infoSize > size - header) return std::nullopt;
    if (compression != 0) return std::nullopt;  // BI_RGB only
    if (width <= 0 || width > kMaxSide || rawHeight == 0 || rawHeight < -kMaxSide || rawHeight > kMaxSide) return std::nullopt;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32) return std::nullopt;
    const bool topDown = rawHeight < 0;
    const int32_t height = topDown ? -rawHeight : rawHeight;

    const size_t paletteStart = header + infoSize;
    if (bits <= 8 && paletteCount == 0) paletteCount = 1u << bits;
    if (bits > 8) paletteCount = 0;
    if (paletteCount > 256) return std::nullopt;
    const size_t paletteEnd = paletteStart + static_cast<size_t>(paletteCount) * 4;
    if (paletteEnd > size) return std::nullopt;
    if (!fileHeader) bitsOffset = paletteEnd;
    const size_t stride = (static_cast<size_t>(width) * bits + 31) / 32 * 4;
    if (bitsOffset > size || stride * static_cast<size_t>(height) > size - bitsOffset) return std::nullopt;

    uint32_t palette[256] = {};
    for (uint32_t i = 0; i < paletteCount; ++i) {
        const uint8_t* q = data + paletteStart + i * 4;
        palette[i] = static_cast<uint32_t>(q[2]) << 16 | static_cast<uint32_t>(q[1]) << 8 | q[0];
    }
    Surface surface(width, height);
    for (int32_t y = 0; y < height; ++y) {
        const uint8_t* row = data + bitsOffset + stride * static_cast<size_t>(topDown ? y : height - 1 - y);
        uint32_t* out = surface.row(y);
        for (int32_t x = 0; x < width; ++x) {
            switch (bits) {
                case 1: out[x] = palette[(row[x >> 3] >> (7 - (x & 7))) & 1]; break;
                case 4: out[x] = palette[(row[x >> 1] >> ((x & 1) ? 0 : 4)) & 0xF]; break;
                case 8: out[x] = palette[row[x]]; break;
                case 24: {
                    const uint8_t* p = row + static_cast<size_t>(x) * 3;
                    out[x] = static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[1]) << 8 | p[0];
                    break;
                }
                default: {
                    const uint8_t* p = row + static_cast<size_t>(x) * 4;
                    out[x] = static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[1]) << 8 | p[0];
                    break;
                }
            }
        }
    }
    return surface;
}

}  // namespace wd::gdi
