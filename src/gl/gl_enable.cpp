// Capabilities, blend, depth, culling, fog, texture environment, clears and
// the attribute stack.
#include "gl/gl_state.h"

using namespace gllayer;

namespace gllayer {

bool* capFlag(FixedState& s, GLenum cap) {
    switch (cap) {
        case GL_TEXTURE_2D: return &s.texture.enabled;
        case GL_FOG: return &s.fog.enabled;
        case GL_LIGHTING: return &s.lighting.enabled;
        case GL_BLEND: return &s.colourBuffer.blend;
        case GL_DEPTH_TEST: return &s.depth.test;
        case GL_CULL_FACE: return &s.polygon.cullFace;
        case GL_ALPHA_TEST: return &s.colourBuffer.alphaTest;
        case GL_SCISSOR_TEST: return &s.scissor.test;
        default: return nullptr;
    }
}

}  // namespace gllayer

namespace {

const GLenum keptCaps[] = {GL_TEXTURE_2D, GL_FOG,        GL_LIGHTING,   GL_BLEND,
                           GL_DEPTH_TEST, GL_CULL_FACE, GL_ALPHA_TEST, GL_SCISSOR_TEST};

// Caps that ES 2 has: they go straight to the driver as well.
bool esCap(GLenum cap) {
    return cap == GL_BLEND || cap == GL_DEPTH_TEST || cap == GL_CULL_FACE ||
           cap == GL_SCISSOR_TEST || cap == GL_DITHER || cap == GL_POLYGON_OFFSET_FILL ||
           cap == GL_STENCIL_TEST;
}

// GL 3.0's switch (history only: nothing drawn), kept by the layer alone.
constexpr GLenum rasterizerDiscard = 0x8C89;

void setCap(GLenum cap, bool on) {
    if (cap == rasterizerDiscard) {
        layer.discard = on;
        return;
    }
    bool* flag = capFlag(layer.s, cap);
    if (flag) {
        if (*flag == on) return;
        *flag = on;
    }
    if (esCap(cap)) on ? layer.es->enable(cap) : layer.es->disable(cap);
    // Everything else (lighting, normalising, colour material ...) is kept
    // silently: the drawing never lights vertices.
}

float clamp01(float v) { return v < 0 ? 0 : (v > 1 ? 1 : v); }

}  // namespace

void glEnable(GLenum cap) { setCap(cap, true); }
void glDisable(GLenum cap) { setCap(cap, false); }

GLboolean glIsEnabled(GLenum cap) {
    const bool* flag = capFlag(layer.s, cap);
    return flag && *flag ? GL_TRUE : GL_FALSE;
}

void glBlendFunc(GLenum sfactor, GLenum dfactor) {
    FixedState& s = layer.s;
    if (s.colourBuffer.blendSrc == sfactor && s.colourBuffer.blendDst == dfactor) return;
    s.colourBuffer.blendSrc = sfactor;
    s.colourBuffer.blendDst = dfactor;
    layer.es->blendFunc(sfactor, dfactor);
}

void glDepthFunc(GLenum func) {
    if (layer.s.depth.func == func) return;
    layer.s.depth.func = func;
    layer.es->depthFunc(func);
}

void glDepthMask(GLboolean flag) {
    const bool on = flag != GL_FALSE;
    if (layer.s.depth.mask == on) return;
    layer.s.depth.mask = on;
    layer.es->depthMask(on ? 1 : 0);
}

void glCullFace(GLenum mode) {
    layer.s.polygon.cullMode = mode;
    layer.es->cullFace(mode);
}

void glFrontFace(GLenum mode) {
    layer.s.polygon.frontFace = mode;
    layer.es->frontFace(mode);
}

// Kept for glGet; every vertex colour is interpolated.
void glShadeModel(GLenum mode) { layer.s.lighting.shadeModel = mode; }

void glHint(GLenum, GLenum) {}

void glFogf(GLenum pname, GLfloat param) {
    FixedState& s = layer.s;
    switch (pname) {
        case GL_FOG_MODE: s.fog.mode = GLenum(param); break;
        case GL_FOG_DENSITY:
            if (param < 0) return setError(GL_INVALID_VALUE);
            s.fog.density = param;
            break;
        case GL_FOG_START: s.fog.start = param; break;
        case GL_FOG_END: s.fog.end = param; break;
        default: return;
    }
    ++layer.fogSerial;
}

void glFogi(GLenum pname, GLint param) { glFogf(pname, GLfloat(param)); }

void glFogfv(GLenum pname, const GLfloat* params) {
    if (pname == GL_FOG_COLOR) {
        for (int i = 0; i < 4; ++i) layer.s.fog.colour[i] = clamp01(params[i]);
        ++layer.fogSerial;
    } else {
        glFogf(pname, params[0]);
    }
}

void glTexEnvf(GLenum target, GLenum pname, GLfloat param) {
    if (target != GL_TEXTURE_ENV || pname != GL_TEXTURE_ENV_MODE) return;
    const GLenum mode = GLenum(param);
    if (mode != GL_MODULATE && mode != GL_BLEND && mode != GL_REPLACE && mode != GL_DECAL)
        return setError(GL_INVALID_ENUM);
    layer.s.texture.envMode = mode;
}

void glTexEnvi(GLenum target, GLenum pname, GLint param) {
    glTexEnvf(target, pname, GLfloat(param));
}

void glTexEnvfv(GLenum target, GLenum pname, const GLfloat* params) {
    if (target != GL_TEXTURE_ENV) return;
    if (pname == GL_TEXTURE_ENV_COLOR) {
        for (int i = 0; i < 4; ++i) layer.s.texture.envColour[i] = clamp01(params[i]);
        ++layer.envSerial;
    } else {
        glTexEnvf(target, pname, params[0]);
    }
}

void glClearColor(GLclampf r, GLclampf g, GLclampf b, GLclampf a) {
    float* c = layer.s.colourBuffer.clearColour;
    storeFour(c, clamp01(r), clamp01(g), clamp01(b), clamp01(a));
    layer.es->clearColor(c[0], c[1], c[2], c[3]);
}

void glClearDepth(GLclampd depth) {
    layer.s.depth.clear = clamp01(float(depth));
    layer.es->clearDepthf(layer.s.depth.clear);
}

void glClear(GLbitfield mask) {
    if (layer.discard) return;
    layer.es->clear(mask & (GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT));
}

void glViewport(GLint x, GLint y, GLsizei width, GLsizei height) {
    storeFour<GLint>(layer.s.viewport.box, x, y, width, height);
    layer.es->viewport(x, y, width, height);
}

void glScissor(GLint x, GLint y, GLsizei width, GLsizei height) {
    if (width < 0 || height < 0) return setError(GL_INVALID_VALUE);
    storeFour<GLint>(layer.s.scissor.box, x, y, width, height);
    layer.es->scissor(x, y, width, height);
}

void glColorMask(GLboolean r, GLboolean g, GLboolean b, GLboolean a) {
    bool* m = layer.s.colourBuffer.colourMask;
    storeFour(m, r != GL_FALSE, g != GL_FALSE, b != GL_FALSE, a != GL_FALSE);
    layer.es->colorMask(m[0], m[1], m[2], m[3]);
}

void glFinish() { layer.es->finish(); }
void glFlush() { layer.es->flush(); }

GLenum glGetError() {
    const GLenum own = layer.error;
    layer.error = GL_NO_ERROR;
    if (own != GL_NO_ERROR) return own;
    return layer.es->getError();
}

const GLubyte* glGetString(GLenum name) { return layer.es->getString(name); }

// ES 2 reads from the buffer being drawn, which is the back buffer here.
void glReadBuffer(GLenum) {}

void glPushAttrib(GLbitfield mask) {
    if (layer.attribTop >= attribStackDepth) return setError(GL_STACK_OVERFLOW);
    AttribFrame& f = layer.attribs[layer.attribTop++];
    f.mask = mask;
    f.saved = layer.s;
}

void glPopAttrib() {
    if (layer.attribTop <= 0) return setError(GL_STACK_UNDERFLOW);
    const AttribFrame& f = layer.attribs[--layer.attribTop];
    const FixedState& o = f.saved;
    FixedState& s = layer.s;
    const GLuint boundBefore = s.texture.bound;
    const GLbitfield m = f.mask;
    if (m & GL_CURRENT_BIT) s.current = o.current;
    if (m & GL_FOG_BIT) s.fog = o.fog;
    if (m & GL_LIGHTING_BIT) s.lighting = o.lighting;
    if (m & GL_TEXTURE_BIT) s.texture = o.texture;
    if (m & GL_DEPTH_BUFFER_BIT) s.depth = o.depth;
    if (m & GL_COLOR_BUFFER_BIT) s.colourBuffer = o.colourBuffer;
    if (m & GL_POLYGON_BIT) s.polygon = o.polygon;
    if (m & GL_VIEWPORT_BIT) s.viewport = o.viewport;
    if (m & GL_SCISSOR_BIT) s.scissor = o.scissor;
    if (m & GL_ENABLE_BIT) {
        FixedState saved = o;
        for (GLenum cap : keptCaps) *capFlag(s, cap) = *capFlag(saved, cap);
    }
    applyDirectState();
    if (s.texture.bound != boundBefore) layer.es->bindTexture(GL_TEXTURE_2D, s.texture.bound);
    ++layer.fogSerial;
    ++layer.envSerial;
}
