#include "gl11_table.h"

#include <GL/glu.h>
#include <SDL2/SDL.h>

#include <cmath>

namespace {

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
#define F(name) ok = fetch("gl" #name, &t.name) && ok
    F(Begin); F(End); F(Vertex3f); F(TexCoord2f); F(Color3f); F(Color4f); F(Normal3f);
    F(Enable); F(Disable); F(BlendFunc); F(DepthFunc); F(DepthMask); F(Fogf); F(Fogfv);
    F(TexEnvf); F(TexEnvfv); F(GenTextures); F(BindTexture); F(TexImage2D); F(TexParameteri);
    F(PixelStorei); F(Clear); F(ClearColor); F(ClearDepth); F(Viewport); F(Scissor); F(Finish);
    F(ReadPixels); F(MatrixMode); F(LoadIdentity); F(PushMatrix); F(PopMatrix); F(Translatef);
    F(Rotatef); F(Scalef); F(Frustum); F(PushAttrib); F(PopAttrib); F(VertexPointer);
    F(ColorPointer); F(TexCoordPointer); F(EnableClientState); F(DisableClientState);
    F(DrawArrays); F(ColorMask);
#undef F
    t.Perspective = nativePerspective;
    *gl = t;
    return ok;
}

void fillLayerGl11(Gl11* gl) {
    Gl11& t = *gl;
#define L(name) t.name = &::gl##name
    L(Begin); L(End); L(Vertex3f); L(TexCoord2f); L(Color3f); L(Color4f); L(Normal3f);
    L(Enable); L(Disable); L(BlendFunc); L(DepthFunc); L(DepthMask); L(Fogf); L(Fogfv);
    L(TexEnvf); L(TexEnvfv); L(GenTextures); L(BindTexture); L(TexImage2D); L(TexParameteri);
    L(PixelStorei); L(Clear); L(ClearColor); L(ClearDepth); L(Viewport); L(Scissor); L(Finish);
    L(ReadPixels); L(MatrixMode); L(LoadIdentity); L(PushMatrix); L(PopMatrix); L(Translatef);
    L(Rotatef); L(Scalef); L(Frustum); L(PushAttrib); L(PopAttrib); L(VertexPointer);
    L(ColorPointer); L(TexCoordPointer); L(EnableClientState); L(DisableClientState);
    L(DrawArrays); L(ColorMask);
#undef L
    t.Perspective = &::gluPerspective;
}
