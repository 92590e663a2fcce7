// State queries and reading pixels back.
#include <cstring>
#include <vector>

#include "gl/gl_state.h"

using namespace gllayer;

namespace {

// The values of one state item; false when the layer does not know it.
bool stateValues(GLenum pname, float* out, int* count) {
    const FixedState& s = layer.s;
    auto put = [&](std::initializer_list<float> v) {
        int i = 0;
        for (float x : v) out[i++] = x;
        *count = i;
        return true;
    };
    auto put4 = [&](const auto* v) {
        return put({float(v[0]), float(v[1]), float(v[2]), float(v[3])});
    };
    auto putMatrix = [&](const MatrixStack& st) {
        std::memcpy(out, st.stack[st.top].m, sizeof(float) * 16);
        *count = 16;
        return true;
    };
    switch (pname) {
        case GL_MODELVIEW_MATRIX: return putMatrix(layer.modelview);
        case GL_PROJECTION_MATRIX: return putMatrix(layer.projection);
        case GL_TEXTURE_MATRIX: return putMatrix(layer.texture);
        case GL_MODELVIEW_STACK_DEPTH: return put({float(layer.modelview.top + 1)});
        case GL_PROJECTION_STACK_DEPTH: return put({float(layer.projection.top + 1)});
        case GL_TEXTURE_STACK_DEPTH: return put({float(layer.texture.top + 1)});
        case GL_ATTRIB_STACK_DEPTH: return put({float(layer.attribTop)});
        case GL_MATRIX_MODE: return put({float(layer.matrixMode)});
        case GL_CURRENT_COLOR: return put4(s.current.colour);
        case GL_CURRENT_TEXTURE_COORDS:
            return put({s.current.texCoord[0], s.current.texCoord[1], 0, 1});
        case GL_CURRENT_NORMAL:
            return put({s.current.normal[0], s.current.normal[1], s.current.normal[2]});
        case GL_TEXTURE_BINDING_2D: return put({float(s.texture.bound)});
        case GL_FOG_MODE: return put({float(s.fog.mode)});
        case GL_FOG_DENSITY: return put({s.fog.density});
        case GL_FOG_START: return put({s.fog.start});
        case GL_FOG_END: return put({s.fog.end});
        case GL_FOG_COLOR: return put4(s.fog.colour);
        case GL_BLEND_SRC: return put({float(s.colourBuffer.blendSrc)});
        case GL_BLEND_DST: return put({float(s.colourBuffer.blendDst)});
        case GL_DEPTH_FUNC: return put({float(s.depth.func)});
        case GL_DEPTH_WRITEMASK: return put({s.depth.mask ? 1.0f : 0.0f});
        case GL_COLOR_WRITEMASK: return put4(s.colourBuffer.colourMask);
        case GL_DEPTH_CLEAR_VALUE: return put({s.depth.clear});
        case GL_COLOR_CLEAR_VALUE: return put4(s.colourBuffer.clearColour);
        case GL_CULL_FACE_MODE: return put({float(s.polygon.cullMode)});
        case GL_FRONT_FACE: return put({float(s.polygon.frontFace)});
        case GL_SHADE_MODEL: return put({float(s.lighting.shadeModel)});
        case GL_VIEWPORT: return put4(s.viewport.box);
        case GL_SCISSOR_BOX: return put4(s.scissor.box);
        case GL_UNPACK_ALIGNMENT: return put({float(layer.unpackAlignment)});
        case GL_PACK_ALIGNMENT: return put({float(layer.packAlignment)});
        case GL_TEXTURE_2D: case GL_FOG: case GL_LIGHTING: case GL_BLEND: case GL_DEPTH_TEST:
        case GL_CULL_FACE: case GL_ALPHA_TEST: case GL_SCISSOR_TEST:
            return put({glIsEnabled(pname) ? 1.0f : 0.0f});
        default: return false;
    }
}

}  // namespace

void glGetFloatv(GLenum pname, GLfloat* params) {
    float v[16];
    int n = 0;
    if (!stateValues(pname, v, &n)) return setError(GL_INVALID_ENUM);
    for (int i = 0; i < n; ++i) params[i] = v[i];
}

void glGetIntegerv(GLenum pname, GLint* params) {
    float v[16];
    int n = 0;
    if (!stateValues(pname, v, &n)) return setError(GL_INVALID_ENUM);
    const bool colour = pname == GL_CURRENT_COLOR || pname == GL_FOG_COLOR ||
                        pname == GL_COLOR_CLEAR_VALUE;
    for (int i = 0; i < n; ++i)
        params[i] = colour ? GLint(double(v[i]) * 2147483647.0) : GLint(v[i] + (v[i] < 0 ? -0.5f : 0.5f));
}

void glGetBooleanv(GLenum pname, GLboolean* params) {
    float v[16];
    int n = 0;
    if (!stateValues(pname, v, &n)) return setError(GL_INVALID_ENUM);
    for (int i = 0; i < n; ++i) params[i] = v[i] != 0 ? GL_TRUE : GL_FALSE;
}

void glGetTexEnvfv(GLenum target, GLenum pname, GLfloat* params) {
    if (target != GL_TEXTURE_ENV) return setError(GL_INVALID_ENUM);
    if (pname == GL_TEXTURE_ENV_MODE) params[0] = GLfloat(layer.s.texture.envMode);
    else if (pname == GL_TEXTURE_ENV_COLOR)
        for (int i = 0; i < 4; ++i) params[i] = layer.s.texture.envColour[i];
    else setError(GL_INVALID_ENUM);
}

void glGetTexEnviv(GLenum target, GLenum pname, GLint* params) {
    if (target != GL_TEXTURE_ENV || pname != GL_TEXTURE_ENV_MODE) return setError(GL_INVALID_ENUM);
    params[0] = GLint(layer.s.texture.envMode);
}

// ES 2 always reads RGBA bytes; other layouts are made from them.
void glReadPixels(GLint x, GLint y, GLsizei width, GLsizei height, GLenum format, GLenum type,
                  GLvoid* pixels) {
    if (width < 0 || height < 0) return setError(GL_INVALID_VALUE);
    if (type != GL_UNSIGNED_BYTE || (format != GL_RGB && format != GL_RGBA))
        return setError(GL_INVALID_ENUM);
    if (width == 0 || height == 0) return;
    static std::vector<unsigned char> rgba;
    rgba.resize(size_t(width) * size_t(height) * 4);
    layer.es->pixelStorei(GL_PACK_ALIGNMENT, 4);
    layer.es->readPixels(x, y, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    const int channels = format == GL_RGB ? 3 : 4;
    const size_t a = size_t(layer.packAlignment);
    const size_t rowBytes = (size_t(width) * channels + a - 1) / a * a;
    unsigned char* out = static_cast<unsigned char*>(pixels);
    for (GLsizei row = 0; row < height; ++row) {
        const unsigned char* src = rgba.data() + size_t(row) * size_t(width) * 4;
        unsigned char* dst = out + size_t(row) * rowBytes;
        for (GLsizei i = 0; i < width; ++i)
            for (int c = 0; c < channels; ++c) dst[i * channels + c] = src[i * 4 + c];
    }
}
