// The three matrix stacks, and gluPerspective on top of them.
#include <GL/glu.h>

#include <cmath>

#include "gl/gl_state.h"

using namespace gllayer;

namespace {

Mat4& top() {
    MatrixStack& st = currentStack();
    return st.stack[st.top];
}

void changed() { ++layer.matrixSerial; }

void multiplyTop(const Mat4& m) {
    Mat4& t = top();
    t = multiply(t, m);
    changed();
}

// Multiplies by the identity with x, y and z written at three entries: the
// last column for a translation, the diagonal for a scale.
void multiplyTopByIdentityWith(int ix, int iy, int iz, float x, float y, float z) {
    Mat4 t = identity();
    t.m[ix] = x;
    t.m[iy] = y;
    t.m[iz] = z;
    multiplyTop(t);
}

Mat4 fromDoubles(const GLdouble* d) {
    Mat4 r;
    for (int i = 0; i < 16; ++i) r.m[i] = float(d[i]);
    return r;
}

}  // namespace

void glMatrixMode(GLenum mode) {
    if (mode != GL_MODELVIEW && mode != GL_PROJECTION && mode != GL_TEXTURE)
        return setError(GL_INVALID_ENUM);
    layer.matrixMode = mode;
}

void glLoadIdentity() {
    top() = identity();
    changed();
}

void glLoadMatrixf(const GLfloat* m) {
    for (int i = 0; i < 16; ++i) top().m[i] = m[i];
    changed();
}

void glLoadMatrixd(const GLdouble* m) {
    top() = fromDoubles(m);
    changed();
}

void glMultMatrixf(const GLfloat* m) {
    Mat4 r;
    for (int i = 0; i < 16; ++i) r.m[i] = m[i];
    multiplyTop(r);
}

void glMultMatrixd(const GLdouble* m) { multiplyTop(fromDoubles(m)); }

void glPushMatrix() {
    MatrixStack& st = currentStack();
    if (st.top + 1 >= matrixStackDepth) return setError(GL_STACK_OVERFLOW);
    st.stack[st.top + 1] = st.stack[st.top];
    ++st.top;
}

void glPopMatrix() {
    MatrixStack& st = currentStack();
    if (st.top == 0) return setError(GL_STACK_UNDERFLOW);
    --st.top;
    changed();
}

void glTranslatef(GLfloat x, GLfloat y, GLfloat z) {
    multiplyTopByIdentityWith(12, 13, 14, x, y, z);
}

void glTranslated(GLdouble x, GLdouble y, GLdouble z) {
    glTranslatef(GLfloat(x), GLfloat(y), GLfloat(z));
}

void glScalef(GLfloat x, GLfloat y, GLfloat z) {
    multiplyTopByIdentityWith(0, 5, 10, x, y, z);
}

void glScaled(GLdouble x, GLdouble y, GLdouble z) {
    glScalef(GLfloat(x), GLfloat(y), GLfloat(z));
}

void glRotatef(GLfloat angle, GLfloat x, GLfloat y, GLfloat z) {
    const float len = std::sqrt(x * x + y * y + z * z);
    if (len == 0) return;
    x /= len;
    y /= len;
    z /= len;
    const float a = angle * float(M_PI / 180.0);
    const float c = std::cos(a), s = std::sin(a), k = 1 - c;
    Mat4 r = identity();
    r.m[0] = x * x * k + c;
    r.m[1] = y * x * k + z * s;
    r.m[2] = x * z * k - y * s;
    r.m[4] = x * y * k - z * s;
    r.m[5] = y * y * k + c;
    r.m[6] = y * z * k + x * s;
    r.m[8] = x * z * k + y * s;
    r.m[9] = y * z * k - x * s;
    r.m[10] = z * z * k + c;
    multiplyTop(r);
}

void glRotated(GLdouble angle, GLdouble x, GLdouble y, GLdouble z) {
    glRotatef(GLfloat(angle), GLfloat(x), GLfloat(y), GLfloat(z));
}

void glFrustum(GLdouble l, GLdouble r, GLdouble b, GLdouble t, GLdouble n, GLdouble f) {
    if (n <= 0 || f <= 0 || l == r || b == t || n == f) return setError(GL_INVALID_VALUE);
    GLdouble m[16] = {};
    m[0] = 2 * n / (r - l);
    m[5] = 2 * n / (t - b);
    m[8] = (r + l) / (r - l);
    m[9] = (t + b) / (t - b);
    m[10] = -(f + n) / (f - n);
    m[11] = -1;
    m[14] = -2 * f * n / (f - n);
    glMultMatrixd(m);
}

void glOrtho(GLdouble l, GLdouble r, GLdouble b, GLdouble t, GLdouble n, GLdouble f) {
    if (l == r || b == t || n == f) return setError(GL_INVALID_VALUE);
    GLdouble m[16] = {};
    m[0] = 2 / (r - l);
    m[5] = 2 / (t - b);
    m[10] = -2 / (f - n);
    m[12] = -(r + l) / (r - l);
    m[13] = -(t + b) / (t - b);
    m[14] = -(f + n) / (f - n);
    m[15] = 1;
    glMultMatrixd(m);
}

// As GLU computes it: in doubles, then multiplied onto the current matrix.
void gluPerspective(GLdouble fovy, GLdouble aspect, GLdouble zNear, GLdouble zFar) {
    const GLdouble radians = fovy / 2 * M_PI / 180;
    const GLdouble deltaZ = zFar - zNear;
    const GLdouble sine = std::sin(radians);
    if (deltaZ == 0 || sine == 0 || aspect == 0) return;
    const GLdouble cotangent = std::cos(radians) / sine;
    GLdouble m[16] = {};
    m[0] = cotangent / aspect;
    m[5] = cotangent;
    m[10] = -(zFar + zNear) / deltaZ;
    m[11] = -1;
    m[14] = -2 * zNear * zFar / deltaZ;
    glMultMatrixd(m);
}

void gluOrtho2D(GLdouble left, GLdouble right, GLdouble bottom, GLdouble top) {
    glOrtho(left, right, bottom, top, -1, 1);
}
