#pragma once
// The GL 1.1 calls the drawing cases make, through a table: filled from the
// driver it draws natively, filled with the layer's functions it draws
// through the layer, so one case runs both ways.
#include <GL/gl.h>

struct Gl11 {
    void (*Begin)(GLenum);
    void (*End)();
    void (*Vertex3f)(GLfloat, GLfloat, GLfloat);
    void (*TexCoord2f)(GLfloat, GLfloat);
    void (*Color3f)(GLfloat, GLfloat, GLfloat);
    void (*Color4f)(GLfloat, GLfloat, GLfloat, GLfloat);
    void (*Normal3f)(GLfloat, GLfloat, GLfloat);
    void (*Enable)(GLenum);
    void (*Disable)(GLenum);
    void (*BlendFunc)(GLenum, GLenum);
    void (*DepthFunc)(GLenum);
    void (*DepthMask)(GLboolean);
    void (*Fogf)(GLenum, GLfloat);
    void (*Fogfv)(GLenum, const GLfloat*);
    void (*TexEnvf)(GLenum, GLenum, GLfloat);
    void (*TexEnvfv)(GLenum, GLenum, const GLfloat*);
    void (*GenTextures)(GLsizei, GLuint*);
    void (*BindTexture)(GLenum, GLuint);
    void (*TexImage2D)(GLenum, GLint, GLint, GLsizei, GLsizei, GLint, GLenum, GLenum,
                       const GLvoid*);
    void (*TexParameteri)(GLenum, GLenum, GLint);
    void (*PixelStorei)(GLenum, GLint);
    void (*Clear)(GLbitfield);
    void (*ClearColor)(GLclampf, GLclampf, GLclampf, GLclampf);
    void (*ClearDepth)(GLclampd);
    void (*Viewport)(GLint, GLint, GLsizei, GLsizei);
    void (*Scissor)(GLint, GLint, GLsizei, GLsizei);
    void (*ColorMask)(GLboolean, GLboolean, GLboolean, GLboolean);
    void (*Finish)();
    void (*ReadPixels)(GLint, GLint, GLsizei, GLsizei, GLenum, GLenum, GLvoid*);
    void (*MatrixMode)(GLenum);
    void (*LoadIdentity)();
    void (*PushMatrix)();
    void (*PopMatrix)();
    void (*Translatef)(GLfloat, GLfloat, GLfloat);
    void (*Rotatef)(GLfloat, GLfloat, GLfloat, GLfloat);
    void (*Scalef)(GLfloat, GLfloat, GLfloat);
    void (*Frustum)(GLdouble, GLdouble, GLdouble, GLdouble, GLdouble, GLdouble);
    void (*PushAttrib)(GLbitfield);
    void (*PopAttrib)();
    void (*VertexPointer)(GLint, GLenum, GLsizei, const GLvoid*);
    void (*ColorPointer)(GLint, GLenum, GLsizei, const GLvoid*);
    void (*TexCoordPointer)(GLint, GLenum, GLsizei, const GLvoid*);
    void (*EnableClientState)(GLenum);
    void (*DisableClientState)(GLenum);
    void (*DrawArrays)(GLenum, GLint, GLsizei);
    // gluPerspective: the layer's own, or the same matrix through Frustum.
    void (*Perspective)(GLdouble, GLdouble, GLdouble, GLdouble);
};

// From the current native context (through SDL); false when a call is missing.
bool fillNativeGl11(Gl11* gl);
// The layer's entry points.
void fillLayerGl11(Gl11* gl);
