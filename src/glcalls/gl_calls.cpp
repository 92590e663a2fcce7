#include "glcalls/gl_calls.h"

namespace {

#define GL_FRAME_CALL_DRIVER(name) &::gl##name,
#define GLU_FRAME_CALL_DRIVER(name) &::glu##name,
const GlCalls driverCalls = {GL_FRAME_CALLS(GL_FRAME_CALL_DRIVER)
                                 GLU_FRAME_CALLS(GLU_FRAME_CALL_DRIVER)};
#undef GLU_FRAME_CALL_DRIVER
#undef GL_FRAME_CALL_DRIVER

// A call that does nothing and answers zero (GL_NO_ERROR; output arguments
// are left as the caller set them).
template <typename F>
struct Nothing;
template <typename R, typename... A>
struct Nothing<R(APIENTRY*)(A...)> {
    static R APIENTRY call(A...) { return R(); }
};

#define GL_FRAME_CALL_NOTHING(name) &Nothing<decltype(&::gl##name)>::call,
#define GLU_FRAME_CALL_NOTHING(name) &Nothing<decltype(&::glu##name)>::call,
const GlCalls noCalls = {GL_FRAME_CALLS(GL_FRAME_CALL_NOTHING)
                             GLU_FRAME_CALLS(GLU_FRAME_CALL_NOTHING)};
#undef GLU_FRAME_CALL_NOTHING
#undef GL_FRAME_CALL_NOTHING

// Within a glBegin/glEnd pair that is dropped, the current colour, normal
// and texture coordinate are what the pair leaves behind: the last of each
// is handed on at glEnd, as the driver would have kept it.
struct PairLeftovers {
    bool open = false;
    bool colour = false, normal = false, texCoord = false;
    GLfloat c[4] = {}, n[3] = {}, t[2] = {};
} pair;

void APIENTRY beginPair(GLenum) {
    pair.open = true;
    pair.colour = pair.normal = pair.texCoord = false;
}

void APIENTRY endPair() {
    pair.open = false;
    if (pair.colour) driverCalls.Color4f(pair.c[0], pair.c[1], pair.c[2], pair.c[3]);
    if (pair.normal) driverCalls.Normal3f(pair.n[0], pair.n[1], pair.n[2]);
    if (pair.texCoord) driverCalls.TexCoord2f(pair.t[0], pair.t[1]);
}

void APIENTRY colour4(GLfloat r, GLfloat g, GLfloat b, GLfloat a) {
    if (!pair.open) return driverCalls.Color4f(r, g, b, a);
    pair.colour = true;
    pair.c[0] = r, pair.c[1] = g, pair.c[2] = b, pair.c[3] = a;
}

void APIENTRY colour3(GLfloat r, GLfloat g, GLfloat b) { colour4(r, g, b, 1.0f); }
void APIENTRY colour3v(const GLfloat* v) { colour4(v[0], v[1], v[2], 1.0f); }

void APIENTRY normal3(GLfloat x, GLfloat y, GLfloat z) {
    if (!pair.open) return driverCalls.Normal3f(x, y, z);
    pair.normal = true;
    pair.n[0] = x, pair.n[1] = y, pair.n[2] = z;
}

void APIENTRY texCoord2(GLfloat s, GLfloat t) {
    if (!pair.open) return driverCalls.TexCoord2f(s, t);
    pair.texCoord = true;
    pair.t[0] = s, pair.t[1] = t;
}

void APIENTRY texCoord2v(const GLfloat* v) { texCoord2(v[0], v[1]); }

GlCalls historyOnlyCalls() {
    GlCalls calls = driverCalls;
    calls.Begin = beginPair;
    calls.End = endPair;
    calls.Vertex3f = noCalls.Vertex3f;
    calls.Vertex3fv = noCalls.Vertex3fv;
    calls.TexCoord2f = texCoord2;
    calls.TexCoord2fv = texCoord2v;
    calls.Normal3f = normal3;
    calls.Color3f = colour3;
    calls.Color3fv = colour3v;
    calls.Color4f = colour4;
    calls.Clear = noCalls.Clear;
    calls.DrawArrays = noCalls.DrawArrays;
    calls.Flush = noCalls.Flush;
    calls.TexImage2D = noCalls.TexImage2D;
    return calls;
}

GlCallMode mode = GlCallMode::drawing;

}  // namespace

GlCalls gl = driverCalls;

void setGlCallMode(GlCallMode to) {
    if (to == mode) return;
    mode = to;
    pair = PairLeftovers{};
    gl = to == GlCallMode::drawing ? driverCalls
         : to == GlCallMode::none  ? noCalls
                                   : historyOnlyCalls();
}

GlCallMode glCallMode() { return mode; }
