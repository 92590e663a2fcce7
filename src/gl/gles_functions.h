#pragma once
// The OpenGL ES 2 / WebGL 1 functions the layer draws with, reached through
// pointers: the layer defines the GL 1.1 names itself (glDrawArrays,
// glEnable, ...), so it cannot link to the driver's functions of the same
// names. Plain C types only, so this header mixes with any GL header.

#include <cstddef>

namespace gles {

// The enums of GLES2 that GL 1.1 headers lack.
enum : unsigned {
    ARRAY_BUFFER = 0x8892,
    STREAM_DRAW = 0x88E0,
    FRAGMENT_SHADER = 0x8B30,
    VERTEX_SHADER = 0x8B31,
    COMPILE_STATUS = 0x8B81,
    LINK_STATUS = 0x8B82,
    CLAMP_TO_EDGE = 0x812F,
};

}  // namespace gles

#define GLES_APIENTRY

// Every driver function the layer calls, once: X(return type, field of
// GlesFunctions, GLES2 name, parameter list). The table below, the desktop
// loader and the browser binding all expand it, so adding a call is one line.
#define GLES_FUNCTIONS(X) \
    X(void, attachShader, glAttachShader, (unsigned program, unsigned shader)) \
    X(void, bindAttribLocation, glBindAttribLocation, \
      (unsigned program, unsigned index, const char* name)) \
    X(void, bindBuffer, glBindBuffer, (unsigned target, unsigned buffer)) \
    X(void, bindTexture, glBindTexture, (unsigned target, unsigned texture)) \
    X(void, blendFunc, glBlendFunc, (unsigned sfactor, unsigned dfactor)) \
    X(void, bufferData, glBufferData, \
      (unsigned target, ptrdiff_t size, const void* data, unsigned usage)) \
    X(void, clear, glClear, (unsigned mask)) \
    X(void, clearColor, glClearColor, (float r, float g, float b, float a)) \
    X(void, clearDepthf, glClearDepthf, (float d)) \
    X(void, colorMask, glColorMask, \
      (unsigned char r, unsigned char g, unsigned char b, unsigned char a)) \
    X(void, compileShader, glCompileShader, (unsigned shader)) \
    X(unsigned, createProgram, glCreateProgram, ()) \
    X(unsigned, createShader, glCreateShader, (unsigned type)) \
    X(void, cullFace, glCullFace, (unsigned mode)) \
    X(void, deleteShader, glDeleteShader, (unsigned shader)) \
    X(void, deleteTextures, glDeleteTextures, (int n, const unsigned* textures)) \
    X(void, depthFunc, glDepthFunc, (unsigned func)) \
    X(void, depthMask, glDepthMask, (unsigned char flag)) \
    X(void, disable, glDisable, (unsigned cap)) \
    X(void, drawArrays, glDrawArrays, (unsigned mode, int first, int count)) \
    X(void, enable, glEnable, (unsigned cap)) \
    X(void, enableVertexAttribArray, glEnableVertexAttribArray, (unsigned index)) \
    X(void, finish, glFinish, ()) \
    X(void, flush, glFlush, ()) \
    X(void, frontFace, glFrontFace, (unsigned mode)) \
    X(void, genBuffers, glGenBuffers, (int n, unsigned* buffers)) \
    X(void, genTextures, glGenTextures, (int n, unsigned* textures)) \
    X(unsigned, getError, glGetError, ()) \
    X(void, getProgramInfoLog, glGetProgramInfoLog, \
      (unsigned program, int size, int* length, char* log)) \
    X(void, getProgramiv, glGetProgramiv, (unsigned program, unsigned pname, int* params)) \
    X(void, getShaderInfoLog, glGetShaderInfoLog, \
      (unsigned shader, int size, int* length, char* log)) \
    X(void, getShaderiv, glGetShaderiv, (unsigned shader, unsigned pname, int* params)) \
    X(const unsigned char*, getString, glGetString, (unsigned name)) \
    X(int, getUniformLocation, glGetUniformLocation, (unsigned program, const char* name)) \
    X(void, linkProgram, glLinkProgram, (unsigned program)) \
    X(void, pixelStorei, glPixelStorei, (unsigned pname, int param)) \
    X(void, readPixels, glReadPixels, \
      (int x, int y, int width, int height, unsigned format, unsigned type, void* pixels)) \
    X(void, scissor, glScissor, (int x, int y, int width, int height)) \
    X(void, shaderSource, glShaderSource, \
      (unsigned shader, int count, const char* const* string, const int* length)) \
    X(void, texImage2D, glTexImage2D, \
      (unsigned target, int level, int internalformat, int width, int height, int border, unsigned format, unsigned type, const void* pixels)) \
    X(void, texSubImage2D, glTexSubImage2D, \
      (unsigned target, int level, int x, int y, int width, int height, unsigned format, unsigned type, const void* pixels)) \
    X(void, texParameteri, glTexParameteri, (unsigned target, unsigned pname, int param)) \
    X(void, uniform1i, glUniform1i, (int location, int v0)) \
    X(void, uniform4fv, glUniform4fv, (int location, int count, const float* value)) \
    X(void, uniformMatrix4fv, glUniformMatrix4fv, \
      (int location, int count, unsigned char transpose, const float* value)) \
    X(void, useProgram, glUseProgram, (unsigned program)) \
    X(void, vertexAttribPointer, glVertexAttribPointer, \
      (unsigned index, int size, unsigned type, unsigned char normalized, int stride, const void* pointer)) \
    X(void, viewport, glViewport, (int x, int y, int width, int height))

struct GlesFunctions {
#define GLES_FIELD(ret, field, name, params) ret(GLES_APIENTRY* field) params;
    GLES_FUNCTIONS(GLES_FIELD)
#undef GLES_FIELD
};

// Looks a function up by its GLES2 name ("glDrawArrays"); null when missing.
typedef void* (*GlesProcLoader)(const char* name);

// Fills the table from a loader; false (naming the first missing function on
// stderr) when one is missing.
bool loadGlesFunctions(GlesProcLoader load, GlesFunctions* out);
