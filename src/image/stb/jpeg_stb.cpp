// The JPEG decoder of the browser build: stb_image, which compiles for any
// target (libjpeg-turbo does not build for the browser here). Same contract as
// the desktop decoder: a damaged or truncated file fails and leaves no picture.
#include "image/image.h"
#include "image/jpeg.h"

#include <sys/stat.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/data_file.h"
#include "platform/data_path.h"

#define STBI_ONLY_JPEG
#define STBI_NO_STDIO
#define STBI_NO_HDR
#define STBI_NO_LINEAR
#define STBI_NO_FAILURE_STRINGS
#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wunused-but-set-variable"
#endif
#include <stb/stb_image.h>
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

namespace {

// stb_image pads a short scan with zero bits and carries on, where
// libjpeg-turbo warns (and our desktop decoder fails): a file that was cut off
// has lost its end-of-image marker, so we ask for one.
bool endsWithEndOfImage(const unsigned char* data, unsigned long size) {
    return size >= 4 && data[0] == 0xFF && data[1] == 0xD8 && data[size - 2] == 0xFF &&
           data[size - 1] == 0xD9;
}

// The stb_image of Debian 12 (2.27) trusts the symbol counts of a Huffman
// table and writes past its arrays when they add up to more than 256. Every
// DHT segment, also those between the scans of a progressive file, is
// checked here first; the walk skips the entropy-coded data of each scan.
bool huffmanTablesSound(const unsigned char* data, unsigned long size) {
    unsigned long p = 2;  // after SOI
    while (p + 2 <= size) {
        if (data[p] != 0xFF) return false;
        const unsigned char marker = data[p + 1];
        if (marker == 0xFF) {  // fill byte
            ++p;
            continue;
        }
        if (marker == 0xD9) return p + 2 == size;  // EOI, the end of the file
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {  // no length
            p += 2;
            continue;
        }
        if (p + 4 > size) return false;
        const unsigned long length = (unsigned long)(data[p + 2] << 8 | data[p + 3]);
        if (length < 2 || p + 2 + length > size) return false;
        const unsigned long end = p + 2 + length;
        if (marker == 0xC4) {
            unsigned long q = p + 4;
            while (q < end) {
                if (q + 17 > end) return false;
                unsigned long symbols = 0;
                for (int i = 1; i <= 16; ++i) symbols += data[q + i];
                if (symbols > 256 || q + 17 + symbols > end) return false;
                q += 17 + symbols;
            }
        }
        p = end;
        if (marker == 0xDA) {
            // Entropy-coded data up to the next marker that is not a stuffed
            // zero or a restart.
            while (p + 1 < size &&
                   !(data[p] == 0xFF && data[p + 1] != 0x00 &&
                     !(data[p + 1] >= 0xD0 && data[p + 1] <= 0xD7)))
                ++p;
        }
    }
    return false;
}

}  // namespace

int decodeJpegBytes(const unsigned char* data, unsigned long size, int* width, int* height,
                    unsigned char** pixels) {
    if (width) *width = 0;
    if (height) *height = 0;
    if (pixels) *pixels = nullptr;
    if (!data || size == 0 || size > (unsigned long)INT_MAX) return 0;

    // Checked before stb_image reads anything, its header reader included.
    if (!endsWithEndOfImage(data, size) || !huffmanTablesSound(data, size)) return 0;
    int w = 0, h = 0, components = 0;
    if (!stbi_info_from_memory(data, int(size), &w, &h, &components)) return 0;
    if (width) *width = w;
    if (height) *height = h;
    if (w <= 0 || h <= 0 || double(w) * double(h) * 3.0 > double(maxDecodedImageBytes)) return 0;

    unsigned char* rgb = stbi_load_from_memory(data, int(size), &w, &h, &components, 3);
    if (!rgb) return 0;
    // Our pictures are blue-green-red per pixel, top row first.
    const size_t total = size_t(w) * size_t(h) * 3;
    unsigned char* out = static_cast<unsigned char*>(std::malloc(total));
    if (out) {
        for (size_t i = 0; i < total; i += 3) {
            out[i] = rgb[i + 2];
            out[i + 1] = rgb[i + 1];
            out[i + 2] = rgb[i];
        }
    }
    stbi_image_free(rgb);
    if (!out) return 0;
    if (pixels)
        *pixels = out;
    else
        std::free(out);
    return 1;
}

int loadJpegImage(const char* path, int* width, int* height, unsigned char** pixels) {
    if (width) *width = 0;
    if (height) *height = 0;
    if (pixels) *pixels = nullptr;

    char real[PATH_MAX];
    if (!path || !resolveDataPath(path, real, sizeof real)) {
        printDataFileProblem(path, nullptr, dataFileMissing);
        return 0;
    }
    FILE* file = std::fopen(real, "rb");
    if (!file) return 0;

    // Only a plain file has a size to read (a folder opens fine here).
    struct stat info;
    unsigned char* bytes = nullptr;
    size_t size = 0;
    if (fstat(fileno(file), &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0) {
        size = size_t(info.st_size);
        bytes = static_cast<unsigned char*>(std::malloc(size));
        if (bytes && std::fread(bytes, 1, size, file) != size) {
            std::free(bytes);
            bytes = nullptr;
        }
    }
    std::fclose(file);
    if (!bytes) return 0;

    const int ok = decodeJpegBytes(bytes, (unsigned long)size, width, height, pixels);
    std::free(bytes);
    return ok;
}
