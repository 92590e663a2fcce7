#include "image/texture_table.h"

#include <cstdio>
#include <cstdlib>

#include "glcalls/gl_calls.h"
#include "image/jpeg.h"

unsigned char* jpegRowsToBottomUpRgb(const unsigned char* bgr, int width, int height) {
    if (!bgr || width <= 0 || height <= 0) return nullptr;
    const size_t rowBytes = size_t(width) * 3;
    unsigned char* rgb = static_cast<unsigned char*>(std::malloc(rowBytes * size_t(height)));
    if (!rgb) return nullptr;
    for (int i = 0; i < height; ++i) {
        const unsigned char* src = bgr + rowBytes * size_t(height - 1 - i);
        unsigned char* dst = rgb + rowBytes * size_t(i);
        for (int x = 0; x < width; ++x, src += 3, dst += 3) {
            dst[0] = src[2];
            dst[1] = src[1];
            dst[2] = src[0];
        }
    }
    return rgb;
}

// Rows of odd widths are packed without padding.
static void specifyRgbTexture(int width, int height, const unsigned char* rows) {
    gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    gl.PixelStorei(GL_UNPACK_ALIGNMENT, 1);
    gl.TexImage2D(GL_TEXTURE_2D, 0, 3, width, height, 0, GL_RGB, GL_UNSIGNED_BYTE, rows);
}

// The driver refuses textures wider or taller than its limit, and the
// refusal alone would leave a white texture without a word: say why.
static bool fitsTextureLimit(const char* path, int width, int height) {
    GLint limit = 0;
    gl.GetIntegerv(GL_MAX_TEXTURE_SIZE, &limit);
    if (limit <= 0 || (width <= limit && height <= limit)) return true;
    std::fprintf(stderr, "%s: %dx%d pixels is more than the graphics driver takes (%dx%d at most)\n",
                 path ? path : "", width, height, int(limit), int(limit));
    return false;
}

void loadPicture(const char* path, unsigned* glName) {
    int width = 0, height = 0;
    unsigned char* bgr = nullptr;
    unsigned char* rgb = nullptr;
    if (loadJpegImage(path, &width, &height, &bgr) && fitsTextureLimit(path, width, height))
        rgb = jpegRowsToBottomUpRgb(bgr, width, height);
    std::free(bgr);
    if (!rgb) {
        // Not worth stopping the demo for: the entry keeps whatever name it had.
        std::fprintf(stderr, "cannot load picture: %s\n", path ? path : "");
        return;
    }
    for (int i = 0; i < 16 && gl.GetError() != GL_NO_ERROR; ++i) {
    }
    GLuint name = 0;
    gl.GenTextures(1, &name);
    gl.BindTexture(GL_TEXTURE_2D, name);
    specifyRgbTexture(width, height, rgb);
    std::free(rgb);
    const GLenum error = gl.GetError();
    if (error != GL_NO_ERROR) {
        // Out of texture memory, most likely: no texture rather than a white one.
        gl.DeleteTextures(1, &name);
        std::fprintf(stderr, "%s: the graphics driver refused the %dx%d picture (GL error 0x%x)\n",
                     path ? path : "", width, height, unsigned(error));
        std::fprintf(stderr, "cannot load picture: %s\n", path ? path : "");
        return;
    }
    *glName = name;
}

void uploadImageToTexture(TextureSlot* slot, const Image* image) {
    if (!slot || !image || !image->pixels) return;
    gl.BindTexture(GL_TEXTURE_2D, slot->glTexture);
    specifyRgbTexture(image->width, image->height < 0 ? -image->height : image->height,
                      image->pixels);
}

void loadTextureSlot(TextureSlot* slot, const char* path, float opacity) {
    loadPicture(path, &slot->glTexture);
    slot->wireLevel = 0;
    slot->opacity = opacity;
    slot->flags = 0;
}

void loadEnvMapTextureSlot(TextureSlot* slot, const char* path, float opacity) {
    loadPicture(path, &slot->glTexture);
    slot->wireLevel = 0;
    slot->opacity = opacity;
    slot->flags = textureFlagEnvMap;
}

void loadTwoLayerTextureSlot(TextureSlot* slot, const char* path, const char* path2,
                             float opacity, float texScale2) {
    loadPicture(path, &slot->glTexture);
    loadPicture(path2, &slot->glTexture2);
    slot->opacity = opacity;
    slot->flags = textureFlagTwoLayer;
    slot->wireLevel = 0;
    slot->texScale2 = texScale2;
}

// Blended entries add (source + destination) x opacity; the texture
// environment is left as it is.
void bindTextureSlot(const TextureSlot* slot) {
    gl.BindTexture(GL_TEXTURE_2D, slot->glTexture);
    if (slot->opacity != 0) {
        gl.Enable(GL_BLEND);
        gl.BlendFunc(GL_SRC_ALPHA, GL_SRC_ALPHA);
        gl.DepthMask(GL_FALSE);
        gl.Disable(GL_CULL_FACE);
        gl.Color4f(1, 1, 1, slot->opacity);
    } else {
        gl.Disable(GL_BLEND);
        gl.BlendFunc(GL_SRC_ALPHA, GL_SRC_ALPHA);
        gl.DepthMask(GL_TRUE);
        gl.Enable(GL_CULL_FACE);
        gl.Color4f(1, 1, 1, 1);
    }
}

void bindGlTexture(unsigned glName) { gl.BindTexture(GL_TEXTURE_2D, glName); }
