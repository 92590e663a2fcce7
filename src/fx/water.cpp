#include "fx/frame_profile.h"
#include "fx/water.h"

#include <cmath>
#include <cstring>

namespace {

const int texelMask = waterTexels - 1;

int lumaAt(const unsigned char* pixels, int texel) {
    const unsigned char* p = pixels + 3 * (texel & texelMask);
    // The height bytes are read as signed values.
    return waterLuminance(int(static_cast<signed char>(p[0])), int(static_cast<signed char>(p[1])),
                          int(static_cast<signed char>(p[2])));
}

// The phase as the starting table position: its integer part, negated, taken
// modulo the table size (only the low bits are ever used).
int phaseStart(float phase) {
    double whole = std::trunc(double(phase));
    if (!std::isfinite(whole)) whole = 0;
    return -int(std::fmod(whole, double(waterTexels)));
}

bool canvasUsable(const Image* canvas) { return canvas && canvas->pixels && isWaterSized(canvas); }

}  // namespace

int isWaterSized(const Image* image) {
    return image && image->width == waterSize &&
           (image->height == waterSize || image->height == -waterSize);
}

namespace {
// A table is built only from a picture of the water size: anything else (a
// replaced picture, a failed load) clears it, so no ripple and no texel is
// read past the picture.
template <typename T>
bool tableSource(const Image* image, T* table) {
    if (!table) return false;
    if (image && image->pixels && isWaterSized(image)) return true;
    std::memset(table, 0, sizeof(T) * waterTexels);
    return false;
}
}  // namespace

int waterLuminance(int a, int b, int c) { return int((0.2 * c + 0.3 * a + 0.5 * b) * 0.3); }

void buildWaterOffsetTable(const Image* height, uint16_t* waterOffsetTable) {
    if (!tableSource(height, waterOffsetTable)) return;
    for (int n = 0; n < waterTexels; ++n) {
        const int here = lumaAt(height->pixels, n);
        const int offset = (here - lumaAt(height->pixels, n + 1)) +
                           waterSize * (here - lumaAt(height->pixels, n + waterSize));
        waterOffsetTable[n] = uint16_t(offset);
    }
}

void buildSurfaceTexelTable(const Image* colour, int32_t* surfaceTexelTable) {
    if (!tableSource(colour, surfaceTexelTable)) return;
    for (int n = 0; n < waterTexels; ++n) {
        const unsigned char* p = colour->pixels + 3 * n;
        surfaceTexelTable[n] = int32_t(p[0]) << 16 | int32_t(p[1]) << 8 | int32_t(p[2]);
    }
}

namespace {
// Texel n of the frame whose moving term is at p: the surface texel the two
// offsets point at, as RGB.
inline void writeWaterTexel(unsigned char* out, int n, int p, const int32_t* surfaceTexelTable,
                            const uint16_t* waterOffsetTable) {
    const int source = (waterOffsetTable[p & texelMask] + n +
                        waterOffsetTable[2 * (n & (waterTexels / 2 - 1))]) &
                       texelMask;
    const int32_t value = surfaceTexelTable[source];
    out[0] = (unsigned char)((value >> 16) & 255);
    out[1] = (unsigned char)((value >> 8) & 255);
    out[2] = (unsigned char)(value & 255);
}

// One frame, row by row: every texel in turn, the moving term stepped by
// `along` after each texel and by `rowEnd` after each row (integer table
// lookups only).
template <typename Along, typename RowEnd>
void writeWaterFrame(Image* canvas, const int32_t* surfaceTexelTable,
                     const uint16_t* waterOffsetTable, float phase, Along along, RowEnd rowEnd) {
    if (!canvasUsable(canvas) || !surfaceTexelTable || !waterOffsetTable) return;
    ComputeSpan span;
    int p = phaseStart(phase);
    unsigned char* out = canvas->pixels;
    int n = 0;
    for (int r = 0; r < waterSize; ++r) {
        for (int c = 0; c < waterSize; ++c, ++n, out += 3) {
            writeWaterTexel(out, n, p, surfaceTexelTable, waterOffsetTable);
            p = along(p);
        }
        p = rowEnd(p);
    }
}
}  // namespace

// The moving term runs back along the rows, straight on from one row to the
// next.
void generateWaterTexture(Image* canvas, const int32_t* surfaceTexelTable,
                          const uint16_t* waterOffsetTable, float phase) {
    writeWaterFrame(
        canvas, surfaceTexelTable, waterOffsetTable, phase, [](int p) { return p - 1; },
        [](int p) { return p; });
}

// The moving term runs down the columns: texel (r, c) reads entry
// start + 128 c + r.
void generateWaterTextureTransposed(Image* canvas, const int32_t* surfaceTexelTable,
                                    const uint16_t* waterOffsetTable, float phase) {
    writeWaterFrame(
        canvas, surfaceTexelTable, waterOffsetTable, phase,
        [](int p) { return (p + waterSize) & texelMask; },
        [](int p) { return (p + 1) & texelMask; });
}
