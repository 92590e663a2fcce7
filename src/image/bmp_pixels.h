#pragma once
#include <cstddef>
#include <cstdint>

// The device-independent bitmap, normalised from either header kind, and the
// conversion of its pixel data into packed RGB rows. Used by the BMP reader.

struct BmpPaletteEntry {
    unsigned char red, green, blue;
};

enum : uint32_t { bmpRgb = 0, bmpRle8 = 1, bmpRle4 = 2, bmpBitfields = 3 };

struct BmpLayout {
    int width;        // > 0
    int rows;         // |height| > 0
    int bitCount;
    uint32_t compression;
    uint32_t masks[3];  // red, green, blue; BI_BITFIELDS only
    const BmpPaletteEntry* palette;
    int paletteSize;  // entries a pixel index may use; larger ones read as black
};

// Converts pixel data (exactly `size` readable bytes) into out, which holds
// width x rows x 3 bytes in the stored row order. Returns 0 when the data does
// not hold a whole picture of this layout.
int convertBmpPixels(const BmpLayout* layout, const unsigned char* data, size_t size,
                     unsigned char* out);
