// libFuzzer target: the JPEG loader on arbitrary bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "image/jpeg.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    int w = 0, h = 0;
    unsigned char* pixels = nullptr;
    if (decodeJpegBytes(data, size, &w, &h, &pixels)) std::free(pixels);
    return 0;
}
