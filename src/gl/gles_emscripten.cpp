// The browser build: the table points straight at Emscripten's WebGL calls
// (the emscripten_gl* aliases, so they never meet the GL 1.1 names we define).
#include <webgl/webgl1.h>

#include "gl/gl_layer.h"
#include "gl/gles_functions.h"

namespace {

template <typename Fn, typename Src>
void put(Fn* out, Src src) {
    *out = reinterpret_cast<Fn>(src);
}

}  // namespace

int glLayerInitWebGl() {
    static GlesFunctions t;
#define PUT(field, name) put(&t.field, &emscripten_##name)
    PUT(attachShader, glAttachShader);
    PUT(bindAttribLocation, glBindAttribLocation);
    PUT(bindBuffer, glBindBuffer);
    PUT(bindTexture, glBindTexture);
    PUT(blendFunc, glBlendFunc);
    PUT(bufferData, glBufferData);
    PUT(clear, glClear);
    PUT(clearColor, glClearColor);
    PUT(clearDepthf, glClearDepthf);
    PUT(colorMask, glColorMask);
    PUT(compileShader, glCompileShader);
    PUT(createProgram, glCreateProgram);
    PUT(createShader, glCreateShader);
    PUT(cullFace, glCullFace);
    PUT(deleteShader, glDeleteShader);
    PUT(deleteTextures, glDeleteTextures);
    PUT(depthFunc, glDepthFunc);
    PUT(depthMask, glDepthMask);
    PUT(disable, glDisable);
    PUT(disableVertexAttribArray, glDisableVertexAttribArray);
    PUT(drawArrays, glDrawArrays);
    PUT(enable, glEnable);
    PUT(enableVertexAttribArray, glEnableVertexAttribArray);
    PUT(finish, glFinish);
    PUT(flush, glFlush);
    PUT(frontFace, glFrontFace);
    PUT(genBuffers, glGenBuffers);
    PUT(genTextures, glGenTextures);
    PUT(getError, glGetError);
    PUT(getProgramInfoLog, glGetProgramInfoLog);
    PUT(getProgramiv, glGetProgramiv);
    PUT(getShaderInfoLog, glGetShaderInfoLog);
    PUT(getShaderiv, glGetShaderiv);
    PUT(getString, glGetString);
    PUT(getUniformLocation, glGetUniformLocation);
    PUT(linkProgram, glLinkProgram);
    PUT(pixelStorei, glPixelStorei);
    PUT(readPixels, glReadPixels);
    PUT(scissor, glScissor);
    PUT(shaderSource, glShaderSource);
    PUT(texImage2D, glTexImage2D);
    PUT(texSubImage2D, glTexSubImage2D);
    PUT(texParameteri, glTexParameteri);
    PUT(uniform1f, glUniform1f);
    PUT(uniform1i, glUniform1i);
    PUT(uniform4fv, glUniform4fv);
    PUT(uniformMatrix4fv, glUniformMatrix4fv);
    PUT(useProgram, glUseProgram);
    PUT(vertexAttrib2f, glVertexAttrib2f);
    PUT(vertexAttrib4f, glVertexAttrib4f);
    PUT(vertexAttribPointer, glVertexAttribPointer);
    PUT(viewport, glViewport);
#undef PUT
    return glLayerInitWith(&t);
}
