#include "support/png_read.h"

#include <png.h>

bool readPngRgb(const std::string& path, std::vector<unsigned char>* rgb, int* width,
                int* height) {
    png_image image = {};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return false;
    image.format = PNG_FORMAT_RGB;
    rgb->assign(PNG_IMAGE_SIZE(image), 0);
    if (width) *width = int(image.width);
    if (height) *height = int(image.height);
    if (png_image_finish_read(&image, nullptr, rgb->data(), 0, nullptr)) return true;
    png_image_free(&image);
    return false;
}
