// Text through FreeType, faces found through fontconfig ("Arial" resolves to Liberation
// Sans, which has Arial's metrics). Sizes follow the Windows font-mapping rules.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <tuple>

#include "platform/gdi/surface.h"

namespace wd::gdi {

/** What CreateFontA asked for. height > 0: cell height (ascent + descent) in pixels;
 * height < 0: em height; 0: the default cell height. width > 0: the average character
 * width (OS/2 xAvgCharWidth) in pixels, which scales the glyphs horizontally; 0: natural.
 * weight: 100..900, 0 for normal. */
struct FontRequest {
    std::string face;
    int height = 0;
    int width = 0;
    int weight = 0;
    bool italic = false;

    /** The font of a fresh device context: Liberation Sans bold with a 16-pixel cell, a
     * fixed choice that stands in for the Windows system font. */
    static FontRequest deviceDefault() { return {"Liberation Sans", 16, 0, 700, false}; }

    bool operator<(const FontRequest& o) const {
        return std::tie(face, height, width, weight, italic) < std::tie(o.face, o.height, o.width, o.weight, o.italic);
    }
};

/** Vertical metrics of a sized font in pixels. */
struct FontMetrics {
    int ascent = 0;
    int descent = 0;
    int height() const { return ascent + descent; }
};

/** Thread-safe (one lock around FreeType, which is not). Faces and rendered glyphs are
 * cached for the life of the process. */
class FontEngine {
public:
    static FontEngine& instance();

    /** The font file and face index fontconfig chooses; false when there is none. */
    bool resolve(const FontRequest& request, std::string* file, int* index);
    /** Width (sum of hinted advances) and metrics of a text; false without a font. */
    bool measure(const FontRequest& request, std::string_view text, int* width, FontMetrics* metrics);
    /** Draws the text with its cell's top-left corner at (x, y), blending the grey
     * coverage of each glyph over the surface, limited to clip. */
    bool draw(const FontRequest& request, std::string_view text, Surface& surface, int x, int y,
              const PixelRect& clip, uint32_t pixel);

private:
    struct SizedFace;
    FontEngine() = default;
    // Both are called with mutex_ held.
    bool resolveLocked(const FontRequest& request, std::string* file, int* index);
    SizedFace* sizedFace(const FontRequest& request);

    std::mutex mutex_;
    void* library_ = nullptr;  // FT_Library, kept opaque to spare includers FreeType's headers
    bool fontconfigReady_ = false;
    std::map<FontRequest, std::unique_ptr<SizedFace>> faces_;
};

}  // namespace wd::gdi
