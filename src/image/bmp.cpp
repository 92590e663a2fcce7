#include "image/bmp.h"

#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "image/bmp_pixels.h"
#include "platform/data_file.h"
#include "platform/data_path.h"
#include "platform/report_error.h"

namespace {

const char* const unknownFormat = "Unknown DIB file format.";
const char* const outOfMemory = "Out of memory.";
const char* const conversionError = "Image file conversion error.";

// Every read goes through these and is checked against the file's size.
bool fits(size_t size, size_t at, size_t count) { return at <= size && count <= size - at; }

uint16_t u16(const unsigned char* p) { return uint16_t(p[0] | p[1] << 8); }
uint32_t u32(const unsigned char* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

Image* fail(const char* message, Image** out) {
    reportError(message);
    if (out) *out = nullptr;
    return nullptr;
}

// "NAME: reason" on stderr, then the reader's own message.
Image* refuse(const char* name, const char* reason, const char* message, Image** out) {
    std::fprintf(stderr, "%s: %s\n", name, reason);
    return fail(message, out);
}

// Says what the file is, where it is not a bitmap this reader takes.
void describeUnknownHeader(const unsigned char* data, size_t size, bool fileHeader,
                           uint32_t headerSize, const char* name) {
    static const unsigned char png[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    const char* what = nullptr;
    if (size >= 8 && std::memcmp(data, png, 8) == 0)
        what = "a PNG picture, not a bitmap";
    else if (size >= 3 && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF)
        what = "a JPEG picture, not a bitmap";
    else if (size >= 6 && std::memcmp(data, "GIF8", 4) == 0)
        what = "a GIF picture, not a bitmap";
    if (what) {
        std::fprintf(stderr, "%s: %s\n", name, what);
    } else if (fileHeader && (headerSize == 64 || headerSize == 16)) {
        std::fprintf(stderr, "%s: an OS/2 2.x bitmap (header of %u bytes), which is not read\n", name,
                     unsigned(headerSize));
    } else if (fileHeader) {
        std::fprintf(stderr,
                     "%s: a bitmap header of %u bytes (only 12, 40, 108 and 124 are read)\n",
                     name, unsigned(headerSize));
    } else {
        std::fprintf(stderr,
                     "%s: not a bitmap (no \"BM\" at its start, and no bitmap header of a "
                     "known size)\n",
                     name);
    }
}

// What the bitmap header says, and where it lies in the file.
struct BmpHeader {
    bool fileHeader;  // the 14-byte file header comes first
    size_t headerAt;
    uint32_t headerSize;
    bool core;  // the 12-byte header of OS/2 1.x
    long long width, height;
    int bitCount;
    uint32_t compression, imageSize, coloursUsed;
};

// Finds and reads the bitmap header. False after saying on stderr why not.
bool readBmpHeader(const unsigned char* data, unsigned long size, const char* shown,
                   BmpHeader* h) {
    // With the 14-byte file header the pixel data offset is given; a bare
    // bitmap header has its pixels right after the palette.
    h->fileHeader = size >= 2 && u16(data) == 0x4D42;
    h->headerAt = h->fileHeader ? 14 : 0;
    if (!fits(size, h->headerAt, 4)) {
        std::fprintf(stderr, "%s: the file ends after %lu bytes, before its bitmap header\n", shown,
                     size);
        return false;
    }
    const unsigned char* header = data + h->headerAt;
    h->headerSize = u32(header);
    // 108 and 124 bytes are the version 4 and 5 headers: their first 40
    // bytes are the common header, and what follows (colour space, gamma,
    // profile) does not change the pixels' colours here.
    const uint32_t headerSize = h->headerSize;
    const bool known = headerSize == 12 || headerSize == 40 || headerSize == 108 || headerSize == 124;
    if (!known) {
        describeUnknownHeader(data, size, h->fileHeader, headerSize, shown);
        return false;
    }
    if (!fits(size, h->headerAt, headerSize)) {
        std::fprintf(stderr, "%s: the file ends inside its %u-byte bitmap header\n", shown,
                     unsigned(headerSize));
        return false;
    }
    h->core = headerSize == 12;
    h->compression = bmpRgb;
    h->imageSize = 0;
    h->coloursUsed = 0;
    if (h->core) {
        h->width = u16(header + 4);
        h->height = u16(header + 6);
        h->bitCount = u16(header + 10);
    } else {
        h->width = int32_t(u32(header + 4));
        h->height = int32_t(u32(header + 8));
        h->bitCount = u16(header + 14);
        h->compression = u32(header + 16);
        h->imageSize = u32(header + 20);
        h->coloursUsed = u32(header + 32);
    }
    return true;
}

// The palette entries the file holds: as many as it says, or as many as the
// bit count addresses.
int bmpPaletteEntries(const BmpHeader& h) {
    if (!h.core && h.coloursUsed != 0) return int(h.coloursUsed & 0xFFFFu);
    return h.bitCount == 1 ? 2 : h.bitCount == 4 ? 16 : h.bitCount == 8 ? 256 : 0;
}

// The pixel formats this reader converts.
bool bmpDepthReadable(int bitCount, uint32_t compression) {
    return (compression == bmpRgb &&
            (bitCount == 1 || bitCount == 4 || bitCount == 8 || bitCount == 16 ||
             bitCount == 24 || bitCount == 32)) ||
           (compression == bmpRle8 && bitCount == 8) || (compression == bmpRle4 && bitCount == 4) ||
           (compression == bmpBitfields && (bitCount == 16 || bitCount == 32));
}

// Where the masks, the palette and the pixels stand in the file, and how many
// palette entries a pixel can address.
struct BmpPlaces {
    bool bitfields;
    size_t masksAt, paletteAt, entryBytes, pixelsAt;
    int usable;
};

BmpPlaces placesOf(const unsigned char* data, unsigned long size, const BmpHeader& h) {
    BmpPlaces at;
    const int paletteEntries = bmpPaletteEntries(h);
    // The three channel masks of BI_BITFIELDS stand between a 40-byte header
    // and the palette; the later headers hold them in their own bytes 40 to 51.
    at.bitfields = !h.core && h.compression == bmpBitfields;
    at.masksAt = h.headerSize == 40 ? h.headerAt + h.headerSize : h.headerAt + 40;
    at.paletteAt = h.headerAt + h.headerSize + (at.bitfields && h.headerSize == 40 ? 12 : 0);
    at.entryBytes = h.core ? 3 : 4;
    at.pixelsAt = h.fileHeader && fits(size, 10, 4) ? u32(data + 10)
                                                    : at.paletteAt + at.entryBytes * paletteEntries;
    // Only as many colours as the bit count can address are looked up.
    at.usable = paletteEntries;
    if (h.bitCount <= 8 && at.usable > (1 << h.bitCount)) at.usable = 1 << h.bitCount;
    if (h.bitCount > 8 || h.bitCount < 1) at.usable = 0;
    return at;
}

void sayTooLarge(const char* shown, long long width, long long rows) {
    std::fprintf(stderr, "%s: %lldx%lld pixels would take more than the %ld MB a picture may have\n",
                 shown, width, rows, long(maxDecodedImageBytes) >> 20);
}

// Whether the header describes a picture this reader takes and the file
// holds its masks, palette and the start of its pixels; says why not.
bool headerReadable(unsigned long size, const char* shown, const BmpHeader& h,
                    const BmpPlaces& at) {
    const long long width = h.width, height = h.height;
    const long long rows = height < 0 ? -height : height;
    if (width <= 0 || rows == 0 || !bmpDepthReadable(h.bitCount, h.compression)) {
        std::fprintf(stderr, "%s: a %lldx%lld bitmap of %d bits (compression %u) cannot be read\n",
                     shown, width, height, h.bitCount, unsigned(h.compression));
        return false;
    }
    if (width * rows > INT_MAX / 3) {
        sayTooLarge(shown, width, rows);
        return false;
    }
    if (!fits(size, at.masksAt, at.bitfields ? 12 : 0) ||
        !fits(size, at.paletteAt, at.entryBytes * size_t(at.usable)) || at.pixelsAt >= size) {
        std::fprintf(stderr, "%s: the file ends before its pixel data\n", shown);
        return false;
    }
    return true;
}

// The layout, with the palette read into the given table.
void readLayout(const unsigned char* data, const BmpHeader& h, const BmpPlaces& at,
                BmpLayout* layout, BmpPaletteEntry* palette) {
    for (int i = 0; i < at.usable; ++i) {
        const unsigned char* e = data + at.paletteAt + at.entryBytes * size_t(i);
        palette[i] = BmpPaletteEntry{e[2], e[1], e[0]};
    }
    *layout = BmpLayout{};
    layout->width = int(h.width);
    layout->rows = int(h.height < 0 ? -h.height : h.height);
    layout->bitCount = h.bitCount;
    layout->compression = h.compression;
    if (at.bitfields)
        for (int i = 0; i < 3; ++i) layout->masks[i] = u32(data + at.masksAt + 4 * i);
    layout->palette = palette;
    layout->paletteSize = at.usable;
}

// Where the pixels are and how to convert them: the layout (with the palette
// read into the given table), the offset and the byte count of the pixel
// data. False after saying on stderr why the bitmap cannot be read.
bool planBmpPixels(const unsigned char* data, unsigned long size, const char* shown,
                   const BmpHeader& h, BmpLayout* layout, BmpPaletteEntry* palette,
                   size_t* pixelsAtOut, size_t* pixelBytesOut) {
    const BmpPlaces at = placesOf(data, size, h);
    if (!headerReadable(size, shown, h, at)) return false;
    readLayout(data, h, at, layout, palette);
    const long long width = h.width, rows = layout->rows;

    size_t pixelBytes = size - at.pixelsAt;
    const bool runLength = h.compression == bmpRle8 || h.compression == bmpRle4;
    if (runLength && h.imageSize != 0 && h.imageSize < pixelBytes) pixelBytes = h.imageSize;

    // Uncompressed data must be all there before the picture is allocated;
    // run-length data can expand, so only the general size limit holds there.
    const size_t stride = (size_t(h.bitCount) * size_t(width) + 31) / 32 * 4;
    if (!runLength && pixelBytes < stride * size_t(rows)) {
        std::fprintf(stderr, "%s: the pixel data ends early\n", shown);
        return false;
    }
    if (double(width) * double(rows) * 3.0 > double(maxDecodedImageBytes)) {
        sayTooLarge(shown, width, rows);
        return false;
    }
    *pixelsAtOut = at.pixelsAt;
    *pixelBytesOut = pixelBytes;
    return true;
}

}  // namespace

Image* decodeBmpBytes(const unsigned char* data, unsigned long size, const char* name,
                      Image** out) {
    // The messages of this reader do not name the file: a line naming it and
    // the reason comes first.
    const char* shown = name ? name : "";
    if (!data || size == 0) return refuse(shown, "the file is empty", unknownFormat, out);

    BmpHeader header;
    if (!readBmpHeader(data, size, shown, &header)) return fail(unknownFormat, out);
    BmpLayout layout;
    BmpPaletteEntry palette[256];
    size_t pixelsAt = 0, pixelBytes = 0;
    if (!planBmpPixels(data, size, shown, header, &layout, palette, &pixelsAt, &pixelBytes))
        return fail(conversionError, out);

    const size_t bufferSize = size_t(layout.width) * size_t(layout.rows) * 3;
    unsigned char* pixels = static_cast<unsigned char*>(std::malloc(bufferSize));
    if (!pixels) return refuse(shown, "no memory for the picture", outOfMemory, out);
    if (!convertBmpPixels(&layout, data + pixelsAt, pixelBytes, pixels)) {
        std::free(pixels);
        return refuse(shown, "the pixel data does not hold the whole picture", conversionError, out);
    }
    Image* image = static_cast<Image*>(std::malloc(sizeof(Image)));
    if (!image) {
        std::free(pixels);
        return refuse(shown, "no memory for the picture", outOfMemory, out);
    }
    image->width = layout.width;
    image->height = int(header.height);  // keeps its sign: negative means top row first
    image->pixels = pixels;
    if (out) *out = image;
    return image;
}

Image* loadBmpImage(const char* path, Image** out) {
    char message[PATH_MAX + 64];
    std::snprintf(message, sizeof message, "Failed to open DIB file %s.\n", path ? path : "");

    char real[PATH_MAX];
    if (!path || !resolveDataPath(path, real, sizeof real)) {
        printDataFileProblem(path, nullptr, dataFileMissing);
        return fail(message, out);
    }
    // Only a regular file is mapped: anything else is refused without waiting.
    DataFileStatus status;
    const char* kind = nullptr;
    int fd = openRegularFile(real, &status, &kind);
    if (fd < 0) {
        printDataFileProblem(path, real, status, kind);
        return fail(message, out);
    }
    struct stat info = {};
    void* view = MAP_FAILED;
    if (fstat(fd, &info) == 0 && info.st_size > 0)
        view = mmap(nullptr, size_t(info.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
    close(fd);
    if (view == MAP_FAILED) {
        std::fprintf(stderr, "%s: %s\n", path,
                     info.st_size == 0 ? "the file is empty" : "the file cannot be mapped");
        return fail(message, out);
    }

    Image* image = decodeBmpBytes(static_cast<const unsigned char*>(view),
                                  (unsigned long)info.st_size, path, out);
    munmap(view, size_t(info.st_size));
    return image;
}
