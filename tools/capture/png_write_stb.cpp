#include "png_write.h"

#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

#include <cstdio>

#include "output_file.h"

bool writePng(const std::string& path, int width, int height, const unsigned char* rgb) {
    // Written beside, renamed when whole: a frame is there complete or not at all.
    const std::string temporary = temporaryNameBeside(path);
    if (!stbi_write_png(temporary.c_str(), width, height, 3, rgb, width * 3)) {
        discardTemporary(temporary);
        std::fprintf(stderr, "demo-capture: cannot write %s\n", path.c_str());
        return false;
    }
    return commitTemporary(temporary, path);
}
