#include "image/image.h"

#include <cstdlib>

void releaseImage(Image* image) {
    if (!image) return;
    std::free(image->pixels);
    std::free(image);
}
