#include <cstdio>

#include "gl/gles_functions.h"

namespace {

template <typename Fn>
bool fetch(GlesProcLoader load, const char* name, Fn* out) {
    void* p = load(name);
    *out = reinterpret_cast<Fn>(p);
    if (!p) std::fprintf(stderr, "gl layer: the driver lacks %s\n", name);
    return p != nullptr;
}

}  // namespace

bool loadGlesFunctions(GlesProcLoader load, GlesFunctions* t) {
    bool ok = true;
#define FETCH(field, name) ok = fetch(load, name, &t->field) && ok
    FETCH(attachShader, "glAttachShader");
    FETCH(bindAttribLocation, "glBindAttribLocation");
    FETCH(bindBuffer, "glBindBuffer");
    FETCH(bindTexture, "glBindTexture");
    FETCH(blendFunc, "glBlendFunc");
    FETCH(bufferData, "glBufferData");
    FETCH(clear, "glClear");
    FETCH(clearColor, "glClearColor");
    FETCH(clearDepthf, "glClearDepthf");
    FETCH(colorMask, "glColorMask");
    FETCH(compileShader, "glCompileShader");
    FETCH(createProgram, "glCreateProgram");
    FETCH(createShader, "glCreateShader");
    FETCH(cullFace, "glCullFace");
    FETCH(deleteShader, "glDeleteShader");
    FETCH(deleteTextures, "glDeleteTextures");
    FETCH(depthFunc, "glDepthFunc");
    FETCH(depthMask, "glDepthMask");
    FETCH(disable, "glDisable");
    FETCH(disableVertexAttribArray, "glDisableVertexAttribArray");
    FETCH(drawArrays, "glDrawArrays");
    FETCH(enable, "glEnable");
    FETCH(enableVertexAttribArray, "glEnableVertexAttribArray");
    FETCH(finish, "glFinish");
    FETCH(flush, "glFlush");
    FETCH(frontFace, "glFrontFace");
    FETCH(genBuffers, "glGenBuffers");
    FETCH(genTextures, "glGenTextures");
    FETCH(getError, "glGetError");
    FETCH(getProgramInfoLog, "glGetProgramInfoLog");
    FETCH(getProgramiv, "glGetProgramiv");
    FETCH(getShaderInfoLog, "glGetShaderInfoLog");
    FETCH(getShaderiv, "glGetShaderiv");
    FETCH(getString, "glGetString");
    FETCH(getUniformLocation, "glGetUniformLocation");
    FETCH(linkProgram, "glLinkProgram");
    FETCH(pixelStorei, "glPixelStorei");
    FETCH(readPixels, "glReadPixels");
    FETCH(scissor, "glScissor");
    FETCH(shaderSource, "glShaderSource");
    FETCH(texImage2D, "glTexImage2D");
    FETCH(texSubImage2D, "glTexSubImage2D");
    FETCH(texParameteri, "glTexParameteri");
    FETCH(uniform1f, "glUniform1f");
    FETCH(uniform1i, "glUniform1i");
    FETCH(uniform4fv, "glUniform4fv");
    FETCH(uniformMatrix4fv, "glUniformMatrix4fv");
    FETCH(useProgram, "glUseProgram");
    FETCH(vertexAttrib2f, "glVertexAttrib2f");
    FETCH(vertexAttrib4f, "glVertexAttrib4f");
    FETCH(vertexAttribPointer, "glVertexAttribPointer");
    FETCH(viewport, "glViewport");
#undef FETCH
    return ok;
}
