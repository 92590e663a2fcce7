#include "png_write.h"

#include <png.h>

#include <cstdio>

#include "output_file.h"

bool writePng(const std::string& path, int width, int height, const unsigned char* rgb) {
    // Written beside, renamed when whole: a frame is there complete or not at all.
    const std::string temporary = temporaryNameBeside(path);
    FILE* f = std::fopen(temporary.c_str(), "wb");
    if (!f) {
        std::fprintf(stderr, "demo-capture: cannot write %s\n", path.c_str());
        return false;
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(f);
        discardTemporary(temporary);
        std::fprintf(stderr, "demo-capture: cannot write %s\n", path.c_str());
        return false;
    }
    png_init_io(png, f);
    // Fast settings: these files are frames, written by the thousand.
    png_set_compression_level(png, 3);
    png_set_filter(png, 0, PNG_FILTER_SUB);
    png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < height; ++y)
        png_write_row(png, const_cast<png_bytep>(rgb + size_t(y) * size_t(width) * 3));
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    if (std::fclose(f) != 0) {
        discardTemporary(temporary);
        std::fprintf(stderr, "demo-capture: cannot write %s\n", path.c_str());
        return false;
    }
    return commitTemporary(temporary, path);
}
