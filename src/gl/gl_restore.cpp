// Bringing the layer back on a context that lost everything (a browser's
// WebGL context after a GPU reset): the driver's programs, buffers and
// textures are gone, the fixed-function state is ours and still here. With
// glLayerKeepPictures on, the layer keeps a copy of every picture it hands
// the driver, so the textures can be made again under the same names.
#include <cstring>
#include <map>
#include <vector>

#include "gl/gl_draw.h"
#include "gl/gl_programs.h"
#include "gl/gl_restore.h"
#include "gl/gl_state.h"

namespace gllayer {
namespace {

struct Level {
    GLint internal;
    GLsizei width, height;
    GLenum format, type;
    GLint alignment;
    std::vector<unsigned char> bytes;  // empty: defined without a picture
};

bool keeping = false;
std::map<GLuint, std::map<GLint, Level>> kept;

int bytesPerPixel(GLenum format, GLenum type) {
    if (type != GL_UNSIGNED_BYTE) return 2;  // the packed 16-bit types
    switch (format) {
        case GL_RGBA: return 4;
        case GL_RGB: return 3;
        case GL_LUMINANCE_ALPHA: return 2;
        default: return 1;
    }
}

size_t rowBytes(GLsizei width, GLenum format, GLenum type, GLint alignment) {
    const size_t row = size_t(width) * size_t(bytesPerPixel(format, type));
    const size_t a = size_t(alignment > 0 ? alignment : 1);
    return (row + a - 1) / a * a;
}

}  // namespace

void keepTexImage(GLuint name, GLint level, GLint internal, GLsizei width, GLsizei height,
                  GLenum format, GLenum type, const void* pixels) {
    if (!keeping) return;
    Level& l = kept[name][level];
    l = Level{internal, width, height, format, type, layer.unpackAlignment, {}};
    if (pixels && width > 0 && height > 0) {
        const size_t n = rowBytes(width, format, type, l.alignment) * size_t(height);
        const unsigned char* p = static_cast<const unsigned char*>(pixels);
        l.bytes.assign(p, p + n);
    }
}

void keepTexSubImage(GLuint name, GLint level, GLint x, GLint y, GLsizei width, GLsizei height,
                     GLenum format, GLenum type, const void* pixels) {
    if (!keeping || !pixels || width <= 0 || height <= 0) return;
    auto t = kept.find(name);
    if (t == kept.end()) return;
    auto it = t->second.find(level);
    if (it == t->second.end()) return;
    Level& l = it->second;
    if (l.format != format || l.type != type || x < 0 || y < 0 || x + width > l.width ||
        y + height > l.height)
        return;
    if (l.bytes.empty()) l.bytes.assign(rowBytes(l.width, format, type, l.alignment) * l.height, 0);
    const int bpp = bytesPerPixel(format, type);
    const size_t dstRow = rowBytes(l.width, format, type, l.alignment);
    const size_t srcRow = rowBytes(width, format, type, layer.unpackAlignment);
    const unsigned char* src = static_cast<const unsigned char*>(pixels);
    for (GLsizei r = 0; r < height; ++r)
        std::memcpy(&l.bytes[size_t(y + r) * dstRow + size_t(x) * bpp], src + size_t(r) * srcRow,
                    size_t(width) * bpp);
}

void forgetTexture(GLuint name) { kept.erase(name); }

}  // namespace gllayer

using namespace gllayer;

void glLayerKeepPictures(int keep) {
    keeping = keep != 0;
    if (!keeping) kept.clear();
}

void glLayerRestore() {
    if (!layer.es) return;
    const GlesFunctions& es = *layer.es;
    resetDrawingResources();
    for (auto& [name, levels] : kept) {
        es.bindTexture(GL_TEXTURE_2D, name);
        for (auto& [level, l] : levels) {
            es.pixelStorei(GL_UNPACK_ALIGNMENT, l.alignment);
            es.texImage2D(GL_TEXTURE_2D, level, l.internal, l.width, l.height, 0, l.format, l.type,
                          l.bytes.empty() ? nullptr : l.bytes.data());
        }
        if (const TextureInfo* t = textureInfo(name, false)) {
            const bool clamp = t->width > 0 && npot(*t);
            auto wrap = [&](GLint m) {
                return clamp || m == GL_CLAMP ? GLint(gles::CLAMP_TO_EDGE) : m;
            };
            es.texParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, wrap(t->wrapS));
            es.texParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, wrap(t->wrapT));
            es.texParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, t->minFilter);
            es.texParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, t->magFilter);
        }
    }
    es.bindTexture(GL_TEXTURE_2D, layer.s.texture.bound);
    es.pixelStorei(GL_UNPACK_ALIGNMENT, layer.unpackAlignment);
    applyDirectState();
    ++layer.matrixSerial;
    ++layer.fogSerial;
    ++layer.envSerial;
}
