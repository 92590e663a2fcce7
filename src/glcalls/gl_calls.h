#pragma once
#include <GL/gl.h>
#include <GL/glu.h>

// The GL calls of the code that draws the frames (fx, image, the frame loop)
// go through one table, `gl`: gl.Begin(GL_QUADS), gl.Vertex3f(x, y, z),
// gl.Perspective(...) for gluPerspective, which calls GL itself. While
// frames are drawn it holds the driver's own functions, so the same calls
// reach the driver in the same order as if they were called by name. A seek
// plays the frames before its target for what they leave to the next ones
// (particles, flares, water, morphs, track cursors), not for their pixels:
// the table then drops what draws and keeps what sets state, or, in a copy of
// the process that has no GL context of its own, drops everything.
//
// The calls, by their GL names without the gl: per vertex, state, work that
// draws or waits, and what loading asks and makes.
#define GL_FRAME_CALLS(X)                                                                 \
    X(Begin) X(End) X(Vertex3f) X(Vertex3fv) X(TexCoord2f) X(TexCoord2fv) X(Normal3f)     \
    X(Color3f) X(Color3fv) X(Color4f)                                                     \
    X(Enable) X(Disable) X(BlendFunc) X(DepthMask) X(DepthFunc) X(TexEnvf) X(Fogf)        \
    X(Fogfv) X(MatrixMode) X(LoadIdentity) X(PushMatrix) X(PopMatrix) X(PushAttrib)       \
    X(PopAttrib) X(BindTexture) X(TexParameteri) X(PixelStorei) X(ClearColor)             \
    X(ClearDepth) X(EnableClientState) X(DisableClientState) X(VertexPointer)             \
    X(TexCoordPointer) X(ColorPointer)                                                    \
    X(Clear) X(DrawArrays) X(Flush) X(TexImage2D)                                         \
    X(GetError) X(GetIntegerv) X(GenTextures) X(DeleteTextures)
#define GLU_FRAME_CALLS(X) X(Perspective)

#define GL_FRAME_CALL_FIELD(name) decltype(&::gl##name) name;
#define GLU_FRAME_CALL_FIELD(name) decltype(&::glu##name) name;
struct GlCalls {
    GL_FRAME_CALLS(GL_FRAME_CALL_FIELD)
    GLU_FRAME_CALLS(GLU_FRAME_CALL_FIELD)
};
#undef GLU_FRAME_CALL_FIELD
#undef GL_FRAME_CALL_FIELD

extern GlCalls gl;

enum class GlCallMode {
    drawing,      // the driver's functions
    historyOnly,  // state reaches the driver, vertices, clears, draws, uploads
                  // and flushes do not; each vertex attribute's last value
                  // of a glBegin/glEnd pair reaches it at glEnd
    none,         // nothing reaches the driver; queries answer nothing
};

void setGlCallMode(GlCallMode mode);
GlCallMode glCallMode();
