#pragma once
// Context loss: the layer can rebuild what the driver held (see gl_restore.cpp).
#include <GL/gl.h>

// Keep a copy of every picture given to the driver from now on (off by default).
void glLayerKeepPictures(int keep);

// After the context came back empty, with the same texture names usable
// again: rebuilds textures, programs and the stream buffer, resends the state.
void glLayerRestore();

namespace gllayer {
// The texture calls report here, so copies stay current.
void keepTexImage(GLuint name, GLint level, GLint internal, GLsizei width, GLsizei height,
                  GLenum format, GLenum type, const void* pixels);
void keepTexSubImage(GLuint name, GLint level, GLint x, GLint y, GLsizei width, GLsizei height,
                     GLenum format, GLenum type, const void* pixels);
void forgetTexture(GLuint name);
}  // namespace gllayer
