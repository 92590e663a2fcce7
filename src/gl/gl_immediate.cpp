// glBegin / glEnd: vertices gather in one batch and go to the driver in one
// draw at glEnd.
#include <vector>

#include "gl/gl_draw.h"
#include "gl/gl_state.h"

using namespace gllayer;

namespace {

bool inside = false;
GLenum batchMode = GL_TRIANGLES;
std::vector<Vertex> batch;

bool validMode(GLenum mode) {
    return mode == GL_POINTS || mode == GL_LINES || mode == GL_LINE_STRIP ||
           mode == GL_LINE_LOOP || mode == GL_TRIANGLES || mode == GL_TRIANGLE_STRIP ||
           mode == GL_TRIANGLE_FAN || mode == GL_QUADS || mode == GL_QUAD_STRIP ||
           mode == GL_POLYGON;
}

inline void emit(float x, float y, float z) { batch.push_back(currentVertex(x, y, z)); }

}  // namespace

void glBegin(GLenum mode) {
    if (inside) return setError(GL_INVALID_OPERATION);
    if (!validMode(mode)) return setError(GL_INVALID_ENUM);
    if (batch.capacity() == 0) {
        // room for the largest batches the demo sends, taken once
        batch.reserve(1 << 15);
    }
    inside = true;
    batchMode = mode;
    batch.clear();
}

void glEnd() {
    if (!inside) return setError(GL_INVALID_OPERATION);
    inside = false;
    drawPrimitive(batchMode, batch.data(), int(batch.size()));
}

void glVertex2f(GLfloat x, GLfloat y) { emit(x, y, 0); }
void glVertex3f(GLfloat x, GLfloat y, GLfloat z) { emit(x, y, z); }
void glVertex3fv(const GLfloat* v) { emit(v[0], v[1], v[2]); }
void glVertex2i(GLint x, GLint y) { emit(GLfloat(x), GLfloat(y), 0); }

void glTexCoord2f(GLfloat s, GLfloat t) {
    layer.s.current.texCoord[0] = s;
    layer.s.current.texCoord[1] = t;
}
void glTexCoord2fv(const GLfloat* v) { glTexCoord2f(v[0], v[1]); }

void glColor4f(GLfloat r, GLfloat g, GLfloat b, GLfloat a) {
    storeFour(layer.s.current.colour, r, g, b, a);
}
void glColor3f(GLfloat r, GLfloat g, GLfloat b) { glColor4f(r, g, b, 1); }
void glColor3fv(const GLfloat* v) { glColor4f(v[0], v[1], v[2], 1); }
void glColor4fv(const GLfloat* v) { glColor4f(v[0], v[1], v[2], v[3]); }
void glColor3ub(GLubyte r, GLubyte g, GLubyte b) {
    glColor4f(r / 255.0f, g / 255.0f, b / 255.0f, 1);
}
void glColor4ub(GLubyte r, GLubyte g, GLubyte b, GLubyte a) {
    glColor4f(r / 255.0f, g / 255.0f, b / 255.0f, a / 255.0f);
}

// Normals are kept but never used: nothing is lit.
void glNormal3f(GLfloat x, GLfloat y, GLfloat z) {
    float* n = layer.s.current.normal;
    n[0] = x;
    n[1] = y;
    n[2] = z;
}
void glNormal3fv(const GLfloat* v) { glNormal3f(v[0], v[1], v[2]); }
