#include "gl11_table.h"

#include <GL/glu.h>
#include <SDL2/SDL.h>

#include <cmath>

namespace {

// Every call of the table but Perspective, which GLU or the layer give apart.
#define GL11_CALLS(X)                                                                          \
    X(Begin) X(End) X(Vertex3f) X(TexCoord2f) X(Color3f) X(Color4f) X(Normal3f) X(Enable)      \
    X(Disable) X(BlendFunc) X(DepthFunc) X(DepthMask) X(Fogf) X(Fogfv) X(TexEnvf) X(TexEnvfv)  \
    X(GenTextures) X(BindTexture) X(TexImage2D) X(TexParameteri) X(PixelStorei) X(Clear)       \
    X(ClearColor) X(ClearDepth) X(Viewport) X(Scissor) X(Finish) X(ReadPixels) X(MatrixMode)   \
    X(LoadIdentity) X(PushMatrix) X(PopMatrix) X(Translatef) X(Rotatef) X(Scalef) X(Frustum)   \
    X(PushAttrib) X(PopAttrib) X(VertexPointer) X(ColorPointer) X(TexCoordPointer)             \
    X(EnableClientState) X(DisableClientState) X(DrawArrays) X(ColorMask)

Gl11 native;

template <typename Fn>
bool fetch(const char* name, Fn* out) {
    *out = reinterpret_cast<Fn>(SDL_GL_GetProcAddress(name));
    return *out != nullptr;
}

// What GLU does, as a frustum, so the native side needs no GLU library.
void nativePerspective(GLdouble fovy, GLdouble aspect, GLdouble zNear, GLdouble zFar) {
    const GLdouble top = zNear * std::tan(fovy * M_PI / 360.0);
    const GLdouble right = top * aspect;
    native.Frustum(-right, right, -top, top, zNear, zFar);
}

}  // namespace

bool fillNativeGl11(Gl11* gl) {
    Gl11& t = native;
    bool ok = true;
#define F(name) ok = fetch("gl" #name, &t.name) && ok;
    GL11_CALLS(F)
#undef F
    t.Perspective = nativePerspective;
    *gl = t;
    return ok;
}

void fillLayerGl11(Gl11* gl) {
    Gl11& t = *gl;
#define L(name) t.name = &::gl##name;
    GL11_CALLS(L)
#undef L
    t.Perspective = &::gluPerspective;
}
