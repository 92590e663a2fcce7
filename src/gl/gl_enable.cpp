// Capabilities, blend, depth, culling, fog, texture environment, clears and
// the attribute stack.
#include "gl/gl_state.h"

using namespace gllayer;

namespace {

// Caps that ES 2 has: they go straight to the driver as well.
bool esCap(GLenum cap) {
    return cap == GL_BLEND || cap == GL_DEPTH_TEST || cap == GL_CULL_FACE ||
           cap == GL_SCISSOR_TEST || cap == GL_DITHER || cap == GL_POLYGON_OFFSET_FILL ||
           cap == GL_STENCIL_TEST;
}

bool* capFlag(GLenum cap) {
    FixedState& s = layer.s;
    switch (cap) {
        case GL_TEXTURE_2D: return &s.texture2D;
        case GL_FOG: return &s.fog;
        case GL_LIGHTING: return &s.lighting;
        case GL_BLEND: return &s.blend;
        case GL_DEPTH_TEST: return &s.depthTest;
        case GL_CULL_FACE: return &s.cullFace;
        case GL_ALPHA_TEST: return &s.alphaTest;
        case GL_SCISSOR_TEST: return &s.scissorTest;
        default: return nullptr;
    }
}

void setCap(GLenum cap, bool on) {
    bool* flag = capFlag(cap);
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
    const bool* flag = capFlag(cap);
    return flag && *flag ? GL_TRUE : GL_FALSE;
}

void glBlendFunc(GLenum sfactor, GLenum dfactor) {
    FixedState& s = layer.s;
    if (s.blendSrc == sfactor && s.blendDst == dfactor) return;
    s.blendSrc = sfactor;
    s.blendDst = dfactor;
    layer.es->blendFunc(sfactor, dfactor);
}

void glDepthFunc(GLenum func) {
    if (layer.s.depthFunc == func) return;
    layer.s.depthFunc = func;
    layer.es->depthFunc(func);
}

void glDepthMask(GLboolean flag) {
    const bool on = flag != GL_FALSE;
    if (layer.s.depthMask == on) return;
    layer.s.depthMask = on;
    layer.es->depthMask(on ? 1 : 0);
}

void glCullFace(GLenum mode) {
    layer.s.cullMode = mode;
    layer.es->cullFace(mode);
}

void glFrontFace(GLenum mode) {
    layer.s.frontFace = mode;
    layer.es->frontFace(mode);
}

// Kept for glGet; every vertex colour is interpolated.
void glShadeModel(GLenum mode) { layer.s.shadeModel = mode; }

void glHint(GLenum, GLenum) {}

void glFogf(GLenum pname, GLfloat param) {
    FixedState& s = layer.s;
    switch (pname) {
        case GL_FOG_MODE: s.fogMode = GLenum(param); break;
        case GL_FOG_DENSITY:
            if (param < 0) return setError(GL_INVALID_VALUE);
            s.fogDensity = param;
            break;
        case GL_FOG_START: s.fogStart = param; break;
        case GL_FOG_END: s.fogEnd = param; break;
        default: return;
    }
    ++layer.fogSerial;
}

void glFogi(GLenum pname, GLint param) { glFogf(pname, GLfloat(param)); }

void glFogfv(GLenum pname, const GLfloat* params) {
    if (pname == GL_FOG_COLOR) {
        for (int i = 0; i < 4; ++i) layer.s.fogColour[i] = clamp01(params[i]);
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
    layer.s.envMode = mode;
}

void glTexEnvi(GLenum target, GLenum pname, GLint param) {
    glTexEnvf(target, pname, GLfloat(param));
}

void glTexEnvfv(GLenum target, GLenum pname, const GLfloat* params) {
    if (target != GL_TEXTURE_ENV) return;
    if (pname == GL_TEXTURE_ENV_COLOR) {
        for (int i = 0; i < 4; ++i) layer.s.envColour[i] = clamp01(params[i]);
        ++layer.envSerial;
    } else {
        glTexEnvf(target, pname, params[0]);
    }
}

void glClearColor(GLclampf r, GLclampf g, GLclampf b, GLclampf a) {
    float* c = layer.s.clearColour;
    c[0] = clamp01(r);
    c[1] = clamp01(g);
    c[2] = clamp01(b);
    c[3] = clamp01(a);
    layer.es->clearColor(c[0], c[1], c[2], c[3]);
}

void glClearDepth(GLclampd depth) {
    layer.s.clearDepth = clamp01(float(depth));
    layer.es->clearDepthf(layer.s.clearDepth);
}

void glClear(GLbitfield mask) {
    layer.es->clear(mask & (GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT));
}

void glViewport(GLint x, GLint y, GLsizei width, GLsizei height) {
    GLint* v = layer.s.viewport;
    v[0] = x;
    v[1] = y;
    v[2] = width;
    v[3] = height;
    layer.es->viewport(x, y, width, height);
}

void glScissor(GLint x, GLint y, GLsizei width, GLsizei height) {
    if (width < 0 || height < 0) return setError(GL_INVALID_VALUE);
    GLint* b = layer.s.scissorBox;
    b[0] = x;
    b[1] = y;
    b[2] = width;
    b[3] = height;
    layer.es->scissor(x, y, width, height);
}

void glColorMask(GLboolean r, GLboolean g, GLboolean b, GLboolean a) {
    layer.es->colorMask(r, g, b, a);
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
    const GLuint boundBefore = s.boundTexture;
    const GLbitfield m = f.mask;
    if (m & GL_CURRENT_BIT) {
        for (int i = 0; i < 4; ++i) s.colour[i] = o.colour[i];
        s.texCoord[0] = o.texCoord[0];
        s.texCoord[1] = o.texCoord[1];
        for (int i = 0; i < 3; ++i) s.normal[i] = o.normal[i];
    }
    if (m & GL_ENABLE_BIT) {
        s.texture2D = o.texture2D;
        s.fog = o.fog;
        s.lighting = o.lighting;
        s.blend = o.blend;
        s.depthTest = o.depthTest;
        s.cullFace = o.cullFace;
        s.alphaTest = o.alphaTest;
        s.scissorTest = o.scissorTest;
    }
    if (m & GL_FOG_BIT) {
        s.fog = o.fog;
        s.fogMode = o.fogMode;
        s.fogDensity = o.fogDensity;
        s.fogStart = o.fogStart;
        s.fogEnd = o.fogEnd;
        for (int i = 0; i < 4; ++i) s.fogColour[i] = o.fogColour[i];
    }
    if (m & GL_LIGHTING_BIT) {
        s.lighting = o.lighting;
        s.shadeModel = o.shadeModel;
    }
    if (m & GL_TEXTURE_BIT) {
        s.texture2D = o.texture2D;
        s.boundTexture = o.boundTexture;
        s.envMode = o.envMode;
        for (int i = 0; i < 4; ++i) s.envColour[i] = o.envColour[i];
    }
    if (m & GL_DEPTH_BUFFER_BIT) {
        s.depthTest = o.depthTest;
        s.depthFunc = o.depthFunc;
        s.clearDepth = o.clearDepth;
        s.depthMask = o.depthMask;
    }
    if (m & GL_COLOR_BUFFER_BIT) {
        s.blend = o.blend;
        s.blendSrc = o.blendSrc;
        s.blendDst = o.blendDst;
        s.alphaTest = o.alphaTest;
        for (int i = 0; i < 4; ++i) s.clearColour[i] = o.clearColour[i];
    }
    if (m & GL_POLYGON_BIT) {
        s.cullFace = o.cullFace;
        s.cullMode = o.cullMode;
        s.frontFace = o.frontFace;
    }
    if (m & GL_VIEWPORT_BIT)
        for (int i = 0; i < 4; ++i) s.viewport[i] = o.viewport[i];
    if (m & GL_SCISSOR_BIT) {
        s.scissorTest = o.scissorTest;
        for (int i = 0; i < 4; ++i) s.scissorBox[i] = o.scissorBox[i];
    }
    applyDirectState();
    if (s.boundTexture != boundBefore) layer.es->bindTexture(GL_TEXTURE_2D, s.boundTexture);
    ++layer.fogSerial;
    ++layer.envSerial;
}
