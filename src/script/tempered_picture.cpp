#include "script/tempered_picture.h"

#include <cstdlib>

#include "fx/gentle.h"
#include "image/image.h"
#include "image/jpeg.h"
#include "image/texture_table.h"

void loadTemperedTwin(TextureSlot* twin, const TextureSlot* plain, const char* path) {
    if (!twin || !plain || plain->glTexture == 0) return;
    loadTextureSlot(twin, path, plain->opacity);
    if (twin->glTexture == 0) return;
    int width = 0, height = 0;
    unsigned char* bgr = nullptr;
    if (!loadJpegImage(path, &width, &height, &bgr)) return;
    // Rows as the loader gives them to the texture.
    unsigned char* rgb = jpegRowsToBottomUpRgb(bgr, width, height);
    std::free(bgr);
    if (!rgb) return;
    temperSaturatedRed(rgb, long(width) * long(height));
    const Image picture = {width, height, rgb};
    uploadImageToTexture(twin, &picture);
    std::free(rgb);
}
