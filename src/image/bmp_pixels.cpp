#include "image/bmp_pixels.h"

#include <cstring>

namespace {

void putPaletteColour(const BmpLayout* l, unsigned char* pixel, unsigned index) {
    if (index < unsigned(l->paletteSize)) {
        const BmpPaletteEntry& c = l->palette[index];
        pixel[0] = c.red;
        pixel[1] = c.green;
        pixel[2] = c.blue;
    } else {
        pixel[0] = pixel[1] = pixel[2] = 0;
    }
}

// A channel of a 16- or 32-bit pixel, widened (or cut) to eight bits.
struct Channel {
    uint32_t mask;
    int shift;
    int bits;
};

Channel channelOf(uint32_t mask) {
    Channel c{mask, 0, 0};
    if (!mask) return c;
    while (!((mask >> c.shift) & 1u)) ++c.shift;
    uint32_t m = mask >> c.shift;
    while (m & 1u) {
        ++c.bits;
        m >>= 1;
    }
    return c;
}

unsigned char expand(const Channel& c, uint32_t value) {
    if (!c.bits) return 0;
    uint32_t v = (value & c.mask) >> c.shift;
    v &= (c.bits >= 32) ? 0xFFFFFFFFu : ((1u << c.bits) - 1u);
    if (c.bits >= 8) return (unsigned char)(v >> (c.bits - 8));
    // Repeat the bits so that a full channel gives 255.
    uint32_t out = 0;
    int filled = 0;
    while (filled < 8) {
        out = (out << c.bits) | v;
        filled += c.bits;
    }
    return (unsigned char)(out >> (filled - 8));
}

int convertUncompressed(const BmpLayout* l, const unsigned char* data, size_t size,
                        unsigned char* out) {
    const size_t stride = ((size_t(l->bitCount) * size_t(l->width) + 31) / 32) * 4;
    if (stride == 0 || size / stride < size_t(l->rows)) return 0;

    uint32_t masks[3] = {0x7C00u, 0x03E0u, 0x001Fu};  // 5-5-5
    if (l->bitCount == 32) {
        masks[0] = 0x00FF0000u;
        masks[1] = 0x0000FF00u;
        masks[2] = 0x000000FFu;
    }
    if (l->compression == bmpBitfields) std::memcpy(masks, l->masks, sizeof masks);
    const Channel red = channelOf(masks[0]), green = channelOf(masks[1]),
                  blue = channelOf(masks[2]);

    for (int y = 0; y < l->rows; ++y) {
        const unsigned char* src = data + stride * size_t(y);
        unsigned char* dst = out + size_t(y) * size_t(l->width) * 3;
        for (int x = 0; x < l->width; ++x, dst += 3) {
            switch (l->bitCount) {
            case 1:
                putPaletteColour(l, dst, (src[x >> 3] >> (7 - (x & 7))) & 1u);
                break;
            case 4:
                putPaletteColour(l, dst, (x & 1) ? (src[x >> 1] & 15u) : (src[x >> 1] >> 4));
                break;
            case 8:
                putPaletteColour(l, dst, src[x]);
                break;
            case 24:
                dst[0] = src[x * 3 + 2];
                dst[1] = src[x * 3 + 1];
                dst[2] = src[x * 3];
                break;
            case 16:
            case 32: {
                uint32_t v;
                if (l->bitCount == 16) {
                    v = uint32_t(src[x * 2]) | uint32_t(src[x * 2 + 1]) << 8;
                } else {
                    const unsigned char* p = src + size_t(x) * 4;
                    v = uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 |
                        uint32_t(p[3]) << 24;
                }
                dst[0] = expand(red, v);
                dst[1] = expand(green, v);
                dst[2] = expand(blue, v);
                break;
            }
            default:
                return 0;
            }
        }
    }
    return 1;
}

// Run-length data: pixels a run or a delta skips stay black; runs are cut at
// the row's end and the picture's last row, and the stream ends with the data.
int convertRunLength(const BmpLayout* l, const unsigned char* data, size_t size,
                     unsigned char* out) {
    const bool four = l->compression == bmpRle4;
    const size_t rowBytes = size_t(l->width) * 3;
    std::memset(out, 0, rowBytes * size_t(l->rows));

    long x = 0, y = 0;
    size_t at = 0;
    auto put = [&](unsigned index) {
        if (x < l->width && y < l->rows)
            putPaletteColour(l, out + size_t(y) * rowBytes + size_t(x) * 3, index);
        ++x;
    };

    while (at + 1 < size && y < l->rows) {
        unsigned count = data[at], value = data[at + 1];
        at += 2;
        if (count > 0) {
            for (unsigned i = 0; i < count && x < l->width; ++i)
                put(four ? ((i & 1) ? (value & 15u) : (value >> 4)) : value);
            continue;
        }
        if (value == 0) {  // end of line
            x = 0;
            ++y;
        } else if (value == 1) {  // end of bitmap
            break;
        } else if (value == 2) {  // delta
            if (at + 1 >= size) break;
            x += data[at];
            y += data[at + 1];
            at += 2;
        } else {  // absolute run of `value` pixels, padded to a 16-bit boundary
            size_t bytes = four ? (value + 1) / 2 : value;
            size_t padded = bytes + (bytes & 1);
            if (bytes > size - at) bytes = size - at;
            for (unsigned i = 0; i < value && x < l->width; ++i) {
                size_t byte = four ? i / 2 : i;
                if (byte >= bytes) break;
                put(four ? ((i & 1) ? (data[at + byte] & 15u) : (data[at + byte] >> 4))
                         : data[at + byte]);
            }
            at = padded > size - at ? size : at + padded;
        }
    }
    return 1;
}

}  // namespace

int convertBmpPixels(const BmpLayout* layout, const unsigned char* data, size_t size,
                     unsigned char* out) {
    if (layout->compression == bmpRle8 || layout->compression == bmpRle4)
        return convertRunLength(layout, data, size, out);
    return convertUncompressed(layout, data, size, out);
}
