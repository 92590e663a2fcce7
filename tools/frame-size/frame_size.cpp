#include "frame_size.h"

#include <cstdio>

bool parseFrameSize(const std::string& text, int* width, int* height, const char** problem) {
    int w = 0, h = 0;
    char extra = 0;
    if (std::sscanf(text.c_str(), "%dx%d%c", &w, &h, &extra) != 2 || w <= 0 || h <= 0) {
        *problem = "bad size (use WxH)";
        return false;
    }
    if (w > 8192 || h > 8192) {
        *problem = "size is too large (8192x6144 at most)";
        return false;
    }
    if (w * 3 != h * 4) {
        *problem = "size is not 4:3";
        return false;
    }
    if (w % 2 || h % 2) {
        *problem = "size is not a multiple of 2";
        return false;
    }
    *width = w;
    *height = h;
    return true;
}
