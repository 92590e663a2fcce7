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

struct GlesFunctions {
    void(GLES_APIENTRY* attachShader)(unsigned program, unsigned shader);
    void(GLES_APIENTRY* bindAttribLocation)(unsigned program, unsigned index, const char* name);
    void(GLES_APIENTRY* bindBuffer)(unsigned target, unsigned buffer);
    void(GLES_APIENTRY* bindTexture)(unsigned target, unsigned texture);
    void(GLES_APIENTRY* blendFunc)(unsigned sfactor, unsigned dfactor);
    void(GLES_APIENTRY* bufferData)(unsigned target, ptrdiff_t size, const void* data,
                                    unsigned usage);
    void(GLES_APIENTRY* clear)(unsigned mask);
    void(GLES_APIENTRY* clearColor)(float r, float g, float b, float a);
    void(GLES_APIENTRY* clearDepthf)(float d);
    void(GLES_APIENTRY* colorMask)(unsigned char r, unsigned char g, unsigned char b,
                                   unsigned char a);
    void(GLES_APIENTRY* compileShader)(unsigned shader);
    unsigned(GLES_APIENTRY* createProgram)();
    unsigned(GLES_APIENTRY* createShader)(unsigned type);
    void(GLES_APIENTRY* cullFace)(unsigned mode);
    void(GLES_APIENTRY* deleteShader)(unsigned shader);
    void(GLES_APIENTRY* deleteTextures)(int n, const unsigned* textures);
    void(GLES_APIENTRY* depthFunc)(unsigned func);
    void(GLES_APIENTRY* depthMask)(unsigned char flag);
    void(GLES_APIENTRY* disable)(unsigned cap);
    void(GLES_APIENTRY* disableVertexAttribArray)(unsigned index);
    void(GLES_APIENTRY* drawArrays)(unsigned mode, int first, int count);
    void(GLES_APIENTRY* enable)(unsigned cap);
    void(GLES_APIENTRY* enableVertexAttribArray)(unsigned index);
    void(GLES_APIENTRY* finish)();
    void(GLES_APIENTRY* flush)();
    void(GLES_APIENTRY* frontFace)(unsigned mode);
    void(GLES_APIENTRY* genBuffers)(int n, unsigned* buffers);
    void(GLES_APIENTRY* genTextures)(int n, unsigned* textures);
    unsigned(GLES_APIENTRY* getError)();
    void(GLES_APIENTRY* getProgramInfoLog)(unsigned program, int size, int* length, char* log);
    void(GLES_APIENTRY* getProgramiv)(unsigned program, unsigned pname, int* params);
    void(GLES_APIENTRY* getShaderInfoLog)(unsigned shader, int size, int* length, char* log);
    void(GLES_APIENTRY* getShaderiv)(unsigned shader, unsigned pname, int* params);
    const unsigned char*(GLES_APIENTRY* getString)(unsigned name);
    int(GLES_APIENTRY* getUniformLocation)(unsigned program, const char* name);
    void(GLES_APIENTRY* linkProgram)(unsigned program);
    void(GLES_APIENTRY* pixelStorei)(unsigned pname, int param);
    void(GLES_APIENTRY* readPixels)(int x, int y, int width, int height, unsigned format,
                                    unsigned type, void* pixels);
    void(GLES_APIENTRY* scissor)(int x, int y, int width, int height);
    void(GLES_APIENTRY* shaderSource)(unsigned shader, int count, const char* const* string,
                                      const int* length);
    void(GLES_APIENTRY* texImage2D)(unsigned target, int level, int internalformat, int width,
                                    int height, int border, unsigned format, unsigned type,
                                    const void* pixels);
    void(GLES_APIENTRY* texSubImage2D)(unsigned target, int level, int x, int y, int width,
                                       int height, unsigned format, unsigned type,
                                       const void* pixels);
    void(GLES_APIENTRY* texParameteri)(unsigned target, unsigned pname, int param);
    void(GLES_APIENTRY* uniform1f)(int location, float v0);
    void(GLES_APIENTRY* uniform1i)(int location, int v0);
    void(GLES_APIENTRY* uniform4fv)(int location, int count, const float* value);
    void(GLES_APIENTRY* uniformMatrix4fv)(int location, int count, unsigned char transpose,
                                          const float* value);
    void(GLES_APIENTRY* useProgram)(unsigned program);
    void(GLES_APIENTRY* vertexAttrib2f)(unsigned index, float x, float y);
    void(GLES_APIENTRY* vertexAttrib4f)(unsigned index, float x, float y, float z, float w);
    void(GLES_APIENTRY* vertexAttribPointer)(unsigned index, int size, unsigned type,
                                             unsigned char normalized, int stride,
                                             const void* pointer);
    void(GLES_APIENTRY* viewport)(int x, int y, int width, int height);
};

// Looks a function up by its GLES2 name ("glDrawArrays"); null when missing.
typedef void* (*GlesProcLoader)(const char* name);

// Fills the table from a loader; false (naming the first missing function on
// stderr) when one is missing.
bool loadGlesFunctions(GlesProcLoader load, GlesFunctions* out);
