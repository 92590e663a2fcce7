#pragma once
#include "image/image.h"
#include "scene/texture_slot.h"

// All of these need the GL context current.
void loadPicture(const char* path, unsigned* glName);
void uploadImageToTexture(TextureSlot* slot, const Image* image);
void loadTextureSlot(TextureSlot* slot, const char* path, float opacity);
void loadEnvMapTextureSlot(TextureSlot* slot, const char* path, float opacity);
void loadTwoLayerTextureSlot(TextureSlot* slot, const char* path, const char* path2,
                             float opacity, float texScale2);
void bindTextureSlot(const TextureSlot* slot);
void bindGlTexture(unsigned glName);

// The reordering loadPicture applies to a decoded JPEG (top row first,
// blue-green-red): a new buffer of the same size, bottom row first,
// red-green-blue. Null when it cannot be allocated. Free with free().
unsigned char* jpegRowsToBottomUpRgb(const unsigned char* bgr, int width, int height);
