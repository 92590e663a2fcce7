// The two sources of the procedural water: "surface.bmp", the colours, and
// "water.bmp", the heights whose gradients displace them. Both 128x128,
// 24-bit, bottom-up, with the 14-byte file header and the 40-byte info header.
#include <cstdio>
#include <string>
#include <vector>

#include "jpeg_writer.h"
#include "mkdata.h"
#include "pictures.h"

namespace {

const int side = 128;

void put16(std::vector<unsigned char>& out, unsigned v) {
    out.push_back(static_cast<unsigned char>(v & 0xFF));
    out.push_back(static_cast<unsigned char>((v >> 8) & 0xFF));
}

void put32(std::vector<unsigned char>& out, unsigned v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

// `rgb` holds the rows top first, three bytes red, green, blue per pixel.
bool writeBmp(const std::string& path, const std::vector<unsigned char>& rgb) {
    const unsigned rowBytes = side * 3;  // 384: already a multiple of four
    const unsigned pixelBytes = rowBytes * side;
    std::vector<unsigned char> out;
    out.reserve(54 + pixelBytes);
    out.push_back('B');
    out.push_back('M');
    put32(out, 54 + pixelBytes);  // file size
    put32(out, 0);                // reserved
    put32(out, 54);               // offset of the pixels
    put32(out, 40);               // info header size
    put32(out, side);             // width
    put32(out, side);             // height: positive, rows stored bottom-up
    put16(out, 1);                // planes
    put16(out, 24);               // bits per pixel
    put32(out, 0);                // no compression
    put32(out, pixelBytes);
    put32(out, 2835);  // 72 dots per inch, both ways
    put32(out, 2835);
    put32(out, 0);  // colours used
    put32(out, 0);  // colours important
    for (int row = side - 1; row >= 0; --row) {
        for (int x = 0; x < side; ++x) {
            const unsigned char* p = &rgb[(size_t(row) * side + x) * 3];
            out.push_back(p[2]);
            out.push_back(p[1]);
            out.push_back(p[0]);
        }
    }
    FILE* f = std::fopen(path.c_str(), "wb");
    bool ok = f && std::fwrite(out.data(), 1, out.size(), f) == out.size();
    if (f && std::fclose(f) != 0) ok = false;
    if (!ok) std::fprintf(stderr, "mkdata: cannot write %s\n", path.c_str());
    return ok;
}

}  // namespace

int writeWaterBitmaps(const char* dir) {
    std::vector<unsigned char> colours(size_t(side) * side * 3);
    std::vector<unsigned char> heights(size_t(side) * side * 3);
    for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; ++x) {
            float u = (x + 0.5f) / side, v = (y + 0.5f) / side;
            size_t k = (size_t(y) * side + x) * 3;
            Rgb c = waterSurfaceColour(u, v);
            colours[k] = toByte(c.r);
            colours[k + 1] = toByte(c.g);
            colours[k + 2] = toByte(c.b);
            // The water reads these bytes as signed: staying within 16..112
            // keeps every neighbour difference small, with no jump at 128.
            unsigned char h = static_cast<unsigned char>(16 + int(waterHeight(u, v) * 96 + 0.5f));
            heights[k] = heights[k + 1] = heights[k + 2] = h;
        }
    }
    std::string base(dir);
    return writeBmp(base + "/surface.bmp", colours) && writeBmp(base + "/water.bmp", heights) ? 1 : 0;
}
