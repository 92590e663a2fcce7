#include "image_test_util.h"

#include <jpeglib.h>

#include <cstdlib>
#include <cstring>

namespace imagetest {

Bytes encodeJpeg(int width, int height, int components, const Bytes& pixels, bool progressive) {
    jpeg_compress_struct info;
    jpeg_error_mgr err;
    info.err = jpeg_std_error(&err);
    jpeg_create_compress(&info);
    unsigned char* out = nullptr;
    unsigned long outSize = 0;
    jpeg_mem_dest(&info, &out, &outSize);
    info.image_width = JDIMENSION(width);
    info.image_height = JDIMENSION(height);
    info.input_components = components;
    info.in_color_space = components == 1 ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 100, TRUE);
    if (progressive) jpeg_simple_progression(&info);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<unsigned char*>(pixels.data()) +
                       size_t(info.next_scanline) * size_t(width) * size_t(components);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    Bytes result(out, out + outSize);
    std::free(out);
    return result;
}

Bytes twoBands(int width, int height, const unsigned char top[3], const unsigned char bottom[3]) {
    Bytes rgb(size_t(width) * height * 3);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            std::memcpy(&rgb[(size_t(y) * width + x) * 3], y < height / 2 ? top : bottom, 3);
    return rgb;
}

}  // namespace imagetest
