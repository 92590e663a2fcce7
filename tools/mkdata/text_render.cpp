#include "text_render.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <string>

const char* const fontBold = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";
const char* const fontSans = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
const char* const fontLight = "/usr/share/fonts/truetype/dejavu/DejaVuSans-ExtraLight.ttf";
const char* const fontSerifBold = "/usr/share/fonts/truetype/dejavu/DejaVuSerif-Bold.ttf";
const char* const fontCondensed =
    "/usr/share/fonts/truetype/dejavu/DejaVuSansCondensed-Bold.ttf";

namespace {

// One library and one face per font file for the life of the program.
FT_Face openFace(const char* fontFile) {
    static FT_Library library = nullptr;
    static std::map<std::string, FT_Face> faces;
    if (!library && FT_Init_FreeType(&library) != 0) {
        std::fprintf(stderr, "mkdata: cannot start FreeType\n");
        library = nullptr;
        return nullptr;
    }
    auto found = faces.find(fontFile);
    if (found != faces.end()) return found->second;
    FT_Face face = nullptr;
    if (FT_New_Face(library, fontFile, 0, &face) != 0) {
        std::fprintf(stderr, "mkdata: cannot load the font %s (package fonts-dejavu-core)\n",
                     fontFile);
        return nullptr;
    }
    faces[fontFile] = face;
    return face;
}

// Decodes the next UTF-8 code point; advances i.
unsigned nextCodePoint(const char* s, size_t& i) {
    unsigned char c = static_cast<unsigned char>(s[i++]);
    if (c < 0x80) return c;
    int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : 1;
    unsigned cp = c & (0x3Fu >> extra);
    for (int k = 0; k < extra && s[i]; ++k) cp = (cp << 6) | (static_cast<unsigned char>(s[i++]) & 0x3Fu);
    return cp;
}

}  // namespace

Mask renderTextLine(const char* fontFile, const char* utf8, int pixelHeight,
                    const TextOptions& options) {
    FT_Face face = openFace(fontFile);
    if (!face) return makeMask(0, 0, 1);
    FT_Set_Pixel_Sizes(face, 0, FT_UInt(pixelHeight));
    // Hinting off: the shape then scales exactly with the pixel size.
    const FT_Int32 flags = FT_LOAD_RENDER | FT_LOAD_NO_HINTING;

    int ascent = int(face->size->metrics.ascender >> 6);
    int descent = int(-face->size->metrics.descender >> 6);
    int margin = pixelHeight / 10 + 2;
    int lineH = ascent + descent + 2 * margin;

    // First pass measures the pen travel, second pass draws.
    std::string text(utf8);
    int width = 2 * margin;
    for (int pass = 0; pass < 2; ++pass) {
        std::vector<float> buf;
        if (pass == 1) buf.assign(size_t(width) * lineH, 0.0f);
        float pen = float(margin);
        FT_UInt previous = 0;
        int inkLeft = width, inkRight = 0, inkTop = lineH, inkBottom = 0;
        for (size_t i = 0; i < text.size();) {
            FT_UInt glyph = FT_Get_Char_Index(face, nextCodePoint(text.c_str(), i));
            if (previous && glyph && FT_HAS_KERNING(face)) {
                FT_Vector k;
                FT_Get_Kerning(face, previous, glyph, FT_KERNING_UNFITTED, &k);
                pen += k.x / 64.0f;
            }
            if (FT_Load_Glyph(face, glyph, flags) != 0) continue;
            FT_GlyphSlot slot = face->glyph;
            if (pass == 1) {
                const FT_Bitmap& bm = slot->bitmap;
                int left = int(std::lround(pen)) + slot->bitmap_left;
                int top = margin + ascent - slot->bitmap_top;
                for (unsigned r = 0; r < bm.rows; ++r) {
                    for (unsigned c = 0; c < bm.width; ++c) {
                        int x = left + int(c), y = top + int(r);
                        if (x < 0 || y < 0 || x >= width || y >= lineH) continue;
                        float v = bm.buffer[r * unsigned(bm.pitch) + c] / 255.0f;
                        if (v <= 0) continue;
                        float& d = buf[size_t(y) * width + x];
                        d = std::min(1.0f, d + v);
                        inkLeft = std::min(inkLeft, x);
                        inkRight = std::max(inkRight, x + 1);
                        inkTop = std::min(inkTop, y);
                        inkBottom = std::max(inkBottom, y + 1);
                    }
                }
            }
            pen += slot->advance.x / 64.0f + options.tracking * pixelHeight;
            previous = glyph;
        }
        if (pass == 0) {
            width = int(std::ceil(pen)) + 2 * margin + pixelHeight;
            continue;
        }
        if (inkRight <= inkLeft) return makeMask(0, 0, 1);
        // Crop to the ink with a margin on every side.
        int x0 = std::max(0, inkLeft - margin), x1 = std::min(width, inkRight + margin);
        int y0 = options.fullHeight ? 0 : std::max(0, inkTop - margin);
        int y1 = options.fullHeight ? lineH : std::min(lineH, inkBottom + margin);
        Mask m = makeMask(x1 - x0, y1 - y0, float(x1 - x0) / float(y1 - y0));
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
                m.a[size_t(y - y0) * m.width + (x - x0)] = buf[size_t(y) * width + x];
        return m;
    }
    return makeMask(0, 0, 1);
}

TextPlace fitTextBox(const Mask& text, float x0, float y0, float x1, float y1, bool readsUpward) {
    float boxW = x1 - x0, boxH = y1 - y0;
    float along = readsUpward ? boxH : boxW;   // room along the reading direction
    float across = readsUpward ? boxW : boxH;  // room for the line height
    float height = std::min(across, along / text.aspect);
    float length = height * text.aspect;
    float w = readsUpward ? height : length;
    float h = readsUpward ? length : height;
    return TextPlace{x0 + (boxW - w) * 0.5f, y0 + (boxH - h) * 0.5f, w, h, readsUpward};
}

void stampText(Mask& dst, const Mask& text, const TextPlace& place) {
    if (text.width == 0) return;
    const int sub = 4;
    int i0 = std::max(0, int(std::floor(place.x * dst.width / dst.aspect)));
    int i1 = std::min(dst.width, int(std::ceil((place.x + place.w) * dst.width / dst.aspect)));
    int j0 = std::max(0, int(std::floor(place.y * dst.height)));
    int j1 = std::min(dst.height, int(std::ceil((place.y + place.h) * dst.height)));
    for (int j = j0; j < j1; ++j) {
        for (int i = i0; i < i1; ++i) {
            float sum = 0;
            for (int sj = 0; sj < sub; ++sj) {
                float y = (j + (sj + 0.5f) / sub) / dst.height;
                for (int si = 0; si < sub; ++si) {
                    float x = (i + (si + 0.5f) / sub) * dst.aspect / dst.width;
                    float u, v;
                    if (place.readsUpward) {
                        u = (place.y + place.h - y) / place.h;
                        v = (x - place.x) / place.w;
                    } else {
                        u = (x - place.x) / place.w;
                        v = (y - place.y) / place.h;
                    }
                    if (u < 0 || u > 1 || v < 0 || v > 1) continue;
                    sum += sampleMask(text, u * text.aspect, v);
                }
            }
            float& d = dst.a[size_t(j) * dst.width + i];
            d = std::max(d, sum / float(sub * sub));
        }
    }
}

bool drawTextInBox(Mask& dst, const char* fontFile, const char* utf8, float x0, float y0,
                   float x1, float y1, const TextOptions& options) {
    bool readsUpward = options.readsUpward;
    Mask probe = renderTextLine(fontFile, utf8, 64, options);
    if (probe.width == 0) return false;
    TextPlace place = fitTextBox(probe, x0, y0, x1, y1, readsUpward);
    // Twice the destination's pixel density along both axes of the text.
    float lineHeight = readsUpward ? place.w : place.h;
    float density = std::max(float(dst.height), dst.width / dst.aspect);
    int px = int(std::ceil(2 * lineHeight * density));
    px = std::clamp(px, 24, 1400);
    Mask text = renderTextLine(fontFile, utf8, px, options);
    if (text.width == 0) return false;
    stampText(dst, text, fitTextBox(text, x0, y0, x1, y1, readsUpward));
    return true;
}
