// libFuzzer target: the BMP reader on arbitrary bytes.
#include <cstddef>
#include <cstdint>

#include "image/bmp.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Image* image = nullptr;
    if (decodeBmpBytes(data, size, "fuzz.bmp", &image)) releaseImage(image);
    return 0;
}
