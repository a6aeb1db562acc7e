#include "platform/gdi/font_engine.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include <cmath>
#include <vector>

namespace wd::gdi {

namespace {

constexpr int kDefaultCellHeight = 16;

struct Glyph {
    int advance = 0;  // pixels, hinted
    int left = 0;     // bitmap offset from the pen position
    int top = 0;      // bitmap rows above the baseline
    int width = 0;
    int rows = 0;
    std::vector<uint8_t> coverage;  // width * rows, 0..255
};

}  // namespace

struct FontEngine::SizedFace {
    FT_Face face = nullptr;
    FontMetrics metrics;
    std::map<unsigned, Glyph> glyphs;  // by character code

    const Glyph* glyph(unsigned char c) {
        auto it = glyphs.find(c);
        if (it != glyphs.end()) return &it->second;
        Glyph g;
        FT_UInt index = FT_Get_Char_Index(face, c);
        if (FT_Load_Glyph(face, index, FT_LOAD_DEFAULT) == 0 &&
            FT_Render_Glyph(face->glyph, FT_RENDER_MODE_NORMAL) == 0) {
            const FT_GlyphSlot slot = face->glyph;
            g.advance = static_cast<int>((slot->advance.x + 32) >> 6);
            g.left = slot->bitmap_left;
            g.top = slot->bitmap_top;
            g.width = static_cast<int>(slot->bitmap.width);
            g.rows = static_cast<int>(slot->bitmap.rows);
            g.coverage.resize(static_cast<size_t>(g.width) * static_cast<size_t>(g.rows));
            for (int y = 0; y < g.rows; ++y) {
                const unsigned char* src = slot->bitmap.buffer + static_cast<ptrdiff_t>(y) * slot->bitmap.pitch;
                std::copy_n(src, g.width, g.coverage.data() + static_cast<size_t>(y) * static_cast<size_t>(g.width));
            }
        }
        return &glyphs.emplace(c, std::move(g)).first->second;
    }
};

FontEngine& FontEngine::instance() {
    static FontEngine* engine = new FontEngine;
    return *engine;
}

bool FontEngine::resolve(const FontRequest& request, std::string* file, int* index) {
    std::lock_guard lock(mutex_);
    return resolveLocked(request, file, index);
}

bool FontEngine::resolveLocked(const FontRequest& request, std::string* file, int* index) {
    if (!fontconfigReady_) fontconfigReady_ = FcInit() == FcTrue;
    if (!fontconfigReady_) return false;
    FcPattern* pattern = FcPatternCreate();
    const std::string family = request.face.empty() ? "sans-serif" : request.face;
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcPatternAddInteger(pattern, FC_WEIGHT, FcWeightFromOpenType(request.weight > 0 ? request.weight : 400));
    FcPatternAddInteger(pattern, FC_SLANT, request.italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcPatternDestroy(pattern);
    if (!match) return false;
    FcChar8* path = nullptr;
    int faceIndex = 0;
    bool ok = FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch;
    if (ok) {
        FcPatternGetInteger(match, FC_INDEX, 0, &faceIndex);
        *file = reinterpret_cast<const char*>(path);
        *index = faceIndex;
    }
    FcPatternDestroy(match);
    return ok;
}

FontEngine::SizedFace* FontEngine::sizedFace(const FontRequest& request) {
    // Called with mutex_ held.
    if (auto it = faces_.find(request); it != faces_.end()) return it->second.get();
    if (!library_) {
        FT_Library library = nullptr;
        if (FT_Init_FreeType(&library) != 0) return nullptr;
        library_ = library;
    }
    std::string file;
    int index = 0;
    if (!resolveLocked(request, &file, &index)) return nullptr;
    FT_Face face = nullptr;
    if (FT_New_Face(static_cast<FT_Library>(library_), file.c_str(), index, &face) != 0) return nullptr;

    // Windows sizes a font by its win ascent and descent (the cell) and its average
    // character width, both from the OS/2 table.
    const double unitsPerEm = face->units_per_EM ? face->units_per_EM : 2048;
    double ascentUnits = face->ascender;
    double descentUnits = -face->descender;
    double averageUnits = unitsPerEm / 2;
    if (auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2))) {
        ascentUnits = os2->usWinAscent;
        descentUnits = os2->usWinDescent;
        if (os2->xAvgCharWidth > 0) averageUnits = os2->xAvgCharWidth;
    }
    const double cellUnits = ascentUnits + descentUnits > 0 ? ascentUnits + descentUnits : unitsPerEm;
    double emY = 0;
    if (request.height > 0) {
        emY = request.height * unitsPerEm / cellUnits;
    } else if (request.height < 0) {
        emY = -request.height;
    } else {
        emY = kDefaultCellHeight * unitsPerEm / cellUnits;
    }
    double emX = request.width > 0 ? request.width * unitsPerEm / averageUnits : emY;
    FT_Set_Char_Size(face, std::lround(emX * 64), std::lround(emY * 64), 72, 72);

    auto sized = std::make_unique<SizedFace>();
    sized->face = face;
    sized->metrics.ascent = static_cast<int>(std::lround(ascentUnits * emY / unitsPerEm));
    sized->metrics.descent = static_cast<int>(std::lround(descentUnits * emY / unitsPerEm));
    return faces_.emplace(request, std::move(sized)).first->second.get();
}

bool FontEngine::measure(const FontRequest& request, std::string_view text, int* width, FontMetrics* metrics) {
    std::lock_guard lock(mutex_);
    SizedFace* face = sizedFace(request);
    if (!face) return false;
    int total = 0;
    for (char c : text) total += face->glyph(static_cast<unsigned char>(c))->advance;
    if (width) *width = total;
    if (metrics) *metrics = face->metrics;
    return true;
}

bool FontEngine::draw(const FontRequest& request, std::string_view text, Surface& surface, int x, int y,
                      const PixelRect& clip, uint32_t pixel) {
    std::lock_guard lock(mutex_);
    SizedFace* face = sizedFace(request);
    if (!face) return false;
    const PixelRect area = clip.intersect(surface.bounds());
    const int baseline = y + face->metrics.ascent;
    const int red = static_cast<int>(pixel >> 16 & 0xFF), green = static_cast<int>(pixel >> 8 & 0xFF),
              blue = static_cast<int>(pixel & 0xFF);
    int penX = x;
    for (char c : text) {
        const Glyph* g = face->glyph(static_cast<unsigned char>(c));
        for (int row = 0; row < g->rows; ++row) {
            const int py = baseline - g->top + row;
            if (py < area.top || py >= area.bottom) continue;
            uint32_t* line = surface.row(py);
            for (int col = 0; col < g->width; ++col) {
                const int px = penX + g->left + col;
                if (px < area.left || px >= area.right) continue;
                const int a = g->coverage[static_cast<size_t>(row) * static_cast<size_t>(g->width) + static_cast<size_t>(col)];
                if (a == 0) continue;
                const uint32_t d = line[px];
                auto mix = [a](int src, int dst) { return dst + ((src - dst) * a + 127) / 255; };
                const int r = mix(red, static_cast<int>(d >> 16 & 0xFF));
                const int gg = mix(green, static_cast<int>(d >> 8 & 0xFF));
                const int b = mix(blue, static_cast<int>(d & 0xFF));
                line[px] = static_cast<uint32_t>(r) << 16 | static_cast<uint32_t>(gg) << 8 | static_cast<uint32_t>(b);
            }
        }
        penX += g->advance;
    }
    return true;
}

}  // namespace wd::gdi
