// Texture objects. The driver keeps the pictures; the layer remembers enough
// of each to know whether GL 1.1 would sample it at all.
#include "gl/gl_restore.h"
#include "gl/gl_state.h"

using namespace gllayer;

namespace {

// ES 2 wants the internal format to equal the format; GL 1.1 also takes
// component counts (the demo passes 3).
GLenum baseFormat(GLint internal, GLenum format) {
    switch (internal) {
        case 1: case GL_LUMINANCE: case GL_LUMINANCE8: return GL_LUMINANCE;
        case 2: case GL_LUMINANCE_ALPHA: case GL_LUMINANCE8_ALPHA8: return GL_LUMINANCE_ALPHA;
        case 3: case GL_RGB: case GL_RGB8: return GL_RGB;
        case 4: case GL_RGBA: case GL_RGBA8: return GL_RGBA;
        case GL_ALPHA: case GL_ALPHA8: return GL_ALPHA;
        default: return format;
    }
}

GLint esWrap(GLint mode) {
    // GL_CLAMP does not exist in ES 2; clamping to the edge is the nearest.
    return mode == GL_CLAMP ? GLint(gles::CLAMP_TO_EDGE) : mode;
}

// What the driver is told: the asked-for wrap, or clamping for a texture
// that WebGL 1 could not repeat (the shader repeats it).
void sendWrap(const TextureInfo& t) {
    const bool clamp = t.width > 0 && npot(t);
    layer.es->texParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S,
                            clamp ? GLint(gles::CLAMP_TO_EDGE) : esWrap(t.wrapS));
    layer.es->texParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T,
                            clamp ? GLint(gles::CLAMP_TO_EDGE) : esWrap(t.wrapT));
}

}  // namespace

void glGenTextures(GLsizei n, GLuint* names) {
    if (n < 0) return setError(GL_INVALID_VALUE);
    layer.es->genTextures(n, names);
    for (GLsizei i = 0; i < n; ++i) *textureInfo(names[i], true) = freshTexture();
}

void glDeleteTextures(GLsizei n, const GLuint* names) {
    if (n < 0) return setError(GL_INVALID_VALUE);
    for (GLsizei i = 0; i < n; ++i) {
        if (TextureInfo* t = textureInfo(names[i], false))
            *t = freshTexture();
        if (names[i] == layer.s.texture.bound) layer.s.texture.bound = 0;
        forgetTexture(names[i]);
    }
    layer.es->deleteTextures(n, names);
}

void glBindTexture(GLenum target, GLuint name) {
    if (target != GL_TEXTURE_2D) return setError(GL_INVALID_ENUM);
    textureInfo(name, true);
    if (layer.s.texture.bound == name) return;
    layer.s.texture.bound = name;
    layer.es->bindTexture(GL_TEXTURE_2D, name);
}

void glTexImage2D(GLenum target, GLint level, GLint internal, GLsizei width, GLsizei height,
                  GLint border, GLenum format, GLenum type, const GLvoid* pixels) {
    if (target != GL_TEXTURE_2D) return setError(GL_INVALID_ENUM);
    if (border != 0 || width < 0 || height < 0 || level < 0) return setError(GL_INVALID_VALUE);
    TextureInfo* t = textureInfo(layer.s.texture.bound, true);
    const GLenum base = baseFormat(internal, format);
    if (level == 0) {
        const bool wasNpot = t->width > 0 && npot(*t);
        t->width = width;
        t->height = height;
        t->format = base;
        if (wasNpot != npot(*t)) sendWrap(*t);
    } else {
        t->mipmapped = true;
    }
    layer.es->texImage2D(GL_TEXTURE_2D, level, GLint(base), width, height, 0, format, type,
                         pixels);
    keepTexImage(layer.s.texture.bound, level, GLint(base), width, height, format, type, pixels);
}

void glTexSubImage2D(GLenum target, GLint level, GLint x, GLint y, GLsizei width, GLsizei height,
                     GLenum format, GLenum type, const GLvoid* pixels) {
    if (target != GL_TEXTURE_2D) return setError(GL_INVALID_ENUM);
    layer.es->texSubImage2D(GL_TEXTURE_2D, level, x, y, width, height, format, type, pixels);
    keepTexSubImage(layer.s.texture.bound, level, x, y, width, height, format, type, pixels);
}

void glTexParameteri(GLenum target, GLenum pname, GLint param) {
    if (target != GL_TEXTURE_2D) return setError(GL_INVALID_ENUM);
    TextureInfo* t = textureInfo(layer.s.texture.bound, true);
    if (pname == GL_TEXTURE_WRAP_S || pname == GL_TEXTURE_WRAP_T) {
        (pname == GL_TEXTURE_WRAP_S ? t->wrapS : t->wrapT) = param;
        sendWrap(*t);
        return;
    }
    if (pname == GL_TEXTURE_MIN_FILTER) t->minFilter = param;
    if (pname == GL_TEXTURE_MAG_FILTER) t->magFilter = param;
    if (pname == GL_TEXTURE_MIN_FILTER || pname == GL_TEXTURE_MAG_FILTER)
        layer.es->texParameteri(GL_TEXTURE_2D, pname, param);
}

void glTexParameterf(GLenum target, GLenum pname, GLfloat param) {
    glTexParameteri(target, pname, GLint(param));
}

void glPixelStorei(GLenum pname, GLint param) {
    if (param != 1 && param != 2 && param != 4 && param != 8) return setError(GL_INVALID_VALUE);
    if (pname == GL_UNPACK_ALIGNMENT) {
        layer.unpackAlignment = param;
        layer.es->pixelStorei(pname, param);
    } else if (pname == GL_PACK_ALIGNMENT) {
        layer.packAlignment = param;
    }
}
