// Client-side vertex arrays. WebGL draws only from buffers, so the arrays are
// copied into the layer's vertex batch and drawn from there.
#include <vector>

#include "gl/gl_draw.h"
#include "gl/gl_state.h"

using namespace gllayer;

namespace {

// Grown only, never shrunk: sized by the largest draw seen.
std::vector<Vertex> gathered;

void makeRoom(std::vector<Vertex>* v, size_t n) {
    if (v->size() < n) v->resize(n);
}

ClientArray* arrayFor(GLenum array) {
    switch (array) {
        case GL_VERTEX_ARRAY: return &layer.vertexArray;
        case GL_COLOR_ARRAY: return &layer.colourArray;
        case GL_TEXTURE_COORD_ARRAY: return &layer.texCoordArray;
        case GL_NORMAL_ARRAY: return &layer.normalArray;
        default: return nullptr;
    }
}

int typeSize(GLenum type) {
    switch (type) {
        case GL_BYTE: case GL_UNSIGNED_BYTE: return 1;
        case GL_SHORT: case GL_UNSIGNED_SHORT: return 2;
        case GL_INT: case GL_UNSIGNED_INT: case GL_FLOAT: return 4;
        case GL_DOUBLE: return 8;
        default: return 0;
    }
}

// Component i of element e, for every type typeSize accepts; colours of
// integer types are normalised.
float component(const ClientArray& a, int e, int i, bool normalise) {
    const int stride = a.stride ? a.stride : a.size * typeSize(a.type);
    const char* p = static_cast<const char*>(a.pointer) + size_t(e) * size_t(stride);
    switch (a.type) {
        case GL_FLOAT: return reinterpret_cast<const GLfloat*>(p)[i];
        case GL_DOUBLE: return float(reinterpret_cast<const GLdouble*>(p)[i]);
        case GL_INT: {
            const GLint v = reinterpret_cast<const GLint*>(p)[i];
            return normalise ? float(v) / 2147483647.0f : float(v);
        }
        case GL_SHORT: {
            const GLshort v = reinterpret_cast<const GLshort*>(p)[i];
            return normalise ? float(v) / 32767.0f : float(v);
        }
        case GL_UNSIGNED_INT: {
            const GLuint v = reinterpret_cast<const GLuint*>(p)[i];
            return normalise ? float(double(v) / 4294967295.0) : float(v);
        }
        case GL_UNSIGNED_SHORT: {
            const GLushort v = reinterpret_cast<const GLushort*>(p)[i];
            return normalise ? float(v) / 65535.0f : float(v);
        }
        case GL_BYTE: {
            const GLbyte v = reinterpret_cast<const GLbyte*>(p)[i];
            return normalise ? (2.0f * float(v) + 1) / 255.0f : float(v);
        }
        case GL_UNSIGNED_BYTE: {
            const GLubyte v = reinterpret_cast<const GLubyte*>(p)[i];
            return normalise ? float(v) / 255.0f : float(v);
        }
        default: return 0;  // setPointer lets no other type in
    }
}

void setPointer(ClientArray* a, GLint size, GLenum type, GLsizei stride, const GLvoid* pointer,
                int minSize) {
    if (size < minSize || size > 4 || stride < 0) return setError(GL_INVALID_VALUE);
    if (typeSize(type) == 0) return setError(GL_INVALID_ENUM);
    a->size = size;
    a->type = type;
    a->stride = stride;
    a->pointer = pointer;
}

Vertex gather(int e) {
    Vertex v = currentVertex(0, 0, 0);
    const ClientArray& pos = layer.vertexArray;
    for (int i = 0; i < pos.size && i < 3; ++i) v.position[i] = component(pos, e, i, false);
    const ClientArray& tex = layer.texCoordArray;
    if (tex.enabled && tex.pointer) {
        v.texCoord[0] = component(tex, e, 0, false);
        v.texCoord[1] = tex.size > 1 ? component(tex, e, 1, false) : 0;
    }
    const ClientArray& col = layer.colourArray;
    if (col.enabled && col.pointer) {
        for (int i = 0; i < col.size; ++i) v.colour[i] = component(col, e, i, true);
        if (col.size == 3) v.colour[3] = 1;
    }
    return v;
}

// Floats, the layout the demo's batches use, are copied without the
// per-component conversion.
bool allFloat() {
    const ClientArray& t = layer.texCoordArray;
    const ClientArray& c = layer.colourArray;
    return layer.vertexArray.type == GL_FLOAT && layer.vertexArray.size == 3 &&
           (!t.enabled || !t.pointer || (t.type == GL_FLOAT && t.size == 2)) &&
           (!c.enabled || !c.pointer || (c.type == GL_FLOAT && c.size >= 3));
}

inline const float* floatsAt(const ClientArray& a, int e) {
    const size_t stride = a.stride ? size_t(a.stride) : size_t(a.size) * sizeof(float);
    return reinterpret_cast<const float*>(static_cast<const char*>(a.pointer) + stride * size_t(e));
}

void gatherFloats(int first, int count) {
    const FixedState& s = layer.s;
    const ClientArray& t = layer.texCoordArray;
    const ClientArray& c = layer.colourArray;
    const bool tex = t.enabled && t.pointer, col = c.enabled && c.pointer;
    for (int i = 0; i < count; ++i) {
        Vertex& v = gathered[size_t(i)];
        const float* p = floatsAt(layer.vertexArray, first + i);
        v.position[0] = p[0];
        v.position[1] = p[1];
        v.position[2] = p[2];
        const float* uv = tex ? floatsAt(t, first + i) : s.current.texCoord;
        v.texCoord[0] = uv[0];
        v.texCoord[1] = uv[1];
        if (col) {
            const float* rgb = floatsAt(c, first + i);
            v.colour[0] = rgb[0];
            v.colour[1] = rgb[1];
            v.colour[2] = rgb[2];
            v.colour[3] = c.size == 4 ? rgb[3] : 1;
        } else {
            for (int k = 0; k < 4; ++k) v.colour[k] = s.current.colour[k];
        }
    }
}

}  // namespace

void glPushClientAttrib(GLbitfield mask) {
    if (layer.clientAttribTop >= attribStackDepth) return setError(GL_STACK_OVERFLOW);
    layer.clientAttribs[layer.clientAttribTop++] =
        ClientAttribFrame{mask,
                          layer.vertexArray,
                          layer.colourArray,
                          layer.texCoordArray,
                          layer.normalArray,
                          layer.unpackAlignment,
                          layer.packAlignment};
}

void glPopClientAttrib() {
    if (layer.clientAttribTop <= 0) return setError(GL_STACK_UNDERFLOW);
    const ClientAttribFrame& f = layer.clientAttribs[--layer.clientAttribTop];
    if (f.mask & GL_CLIENT_VERTEX_ARRAY_BIT) {
        layer.vertexArray = f.vertexArray;
        layer.colourArray = f.colourArray;
        layer.texCoordArray = f.texCoordArray;
        layer.normalArray = f.normalArray;
    }
    if (f.mask & GL_CLIENT_PIXEL_STORE_BIT) {
        layer.unpackAlignment = f.unpackAlignment;
        layer.packAlignment = f.packAlignment;
    }
}

void glEnableClientState(GLenum array) {
    if (ClientArray* a = arrayFor(array)) a->enabled = true;
}

void glDisableClientState(GLenum array) {
    if (ClientArray* a = arrayFor(array)) a->enabled = false;
}

void glVertexPointer(GLint size, GLenum type, GLsizei stride, const GLvoid* pointer) {
    setPointer(&layer.vertexArray, size, type, stride, pointer, 2);
}

void glColorPointer(GLint size, GLenum type, GLsizei stride, const GLvoid* pointer) {
    setPointer(&layer.colourArray, size, type, stride, pointer, 3);
}

void glTexCoordPointer(GLint size, GLenum type, GLsizei stride, const GLvoid* pointer) {
    setPointer(&layer.texCoordArray, size, type, stride, pointer, 1);
}

// Normals are not used for drawing; the pointer is only kept.
void glNormalPointer(GLenum type, GLsizei stride, const GLvoid* pointer) {
    setPointer(&layer.normalArray, 3, type, stride, pointer, 3);
}

void glDrawArrays(GLenum mode, GLint first, GLsizei count) {
    if (count < 0 || first < 0) return setError(GL_INVALID_VALUE);
    if (!layer.vertexArray.enabled || !layer.vertexArray.pointer || count == 0) return;
    makeRoom(&gathered, size_t(count));
    if (allFloat())
        gatherFloats(first, count);
    else
        for (GLsizei i = 0; i < count; ++i) gathered[size_t(i)] = gather(first + i);
    drawPrimitive(mode, gathered.data(), count);
}

void glDrawElements(GLenum mode, GLsizei count, GLenum type, const GLvoid* indices) {
    if (count < 0) return setError(GL_INVALID_VALUE);
    if (type != GL_UNSIGNED_BYTE && type != GL_UNSIGNED_SHORT && type != GL_UNSIGNED_INT)
        return setError(GL_INVALID_ENUM);
    if (!layer.vertexArray.enabled || !layer.vertexArray.pointer || count == 0) return;
    makeRoom(&gathered, size_t(count));
    for (GLsizei i = 0; i < count; ++i) {
        int e;
        if (type == GL_UNSIGNED_BYTE) e = static_cast<const GLubyte*>(indices)[i];
        else if (type == GL_UNSIGNED_SHORT) e = static_cast<const GLushort*>(indices)[i];
        else e = int(static_cast<const GLuint*>(indices)[i]);
        gathered[size_t(i)] = gather(e);
    }
    drawPrimitive(mode, gathered.data(), count);
}
