#include "gl/gl_draw.h"

#include <cstddef>
#include <vector>

#include "gl/gl_programs.h"
#include "gl/gl_state.h"

namespace gllayer {

namespace {

GLuint streamBuffer = 0;
const Program* current = nullptr;
std::vector<Vertex> converted;

FogKind fogKind(GLenum mode) {
    if (mode == GL_EXP2) return fogExp2;
    if (mode == GL_LINEAR) return fogLinear;
    return fogExp;
}

EnvKind envKind(GLenum mode) {
    switch (mode) {
        case GL_BLEND: return envBlend;
        case GL_REPLACE: return envReplace;
        case GL_DECAL: return envDecal;
        default: return envModulate;
    }
}

ProgramKey currentKey() {
    const FixedState& s = layer.s;
    ProgramKey key = {};
    key.textured = s.texture.enabled && boundTextureComplete();
    if (key.textured) {
        key.env = envKind(s.texture.envMode);
        const TextureInfo* t = textureInfo(s.texture.bound, false);
        key.textureAlpha = t && (t->format == GL_RGBA || t->format == GL_LUMINANCE_ALPHA ||
                                 t->format == GL_ALPHA);
        if (t && npot(*t)) {
            key.repeatS = t->wrapS == GL_REPEAT;
            key.repeatT = t->wrapT == GL_REPEAT;
            key.repeatFiltered = t->magFilter == GL_LINEAR;
        }
    }
    key.fog = s.fog.enabled ? fogKind(s.fog.mode) : fogNone;
    return key;
}

void sendUniforms(Program* p, const ProgramKey& key) {
    const GlesFunctions& es = *layer.es;
    GlLayerStats& stats = layer.stats;
    if (p->matrixSerial != layer.matrixSerial) {
        const Mat4& mv = layer.modelview.stack[layer.modelview.top];
        const Mat4 mvp = multiply(layer.projection.stack[layer.projection.top], mv);
        es.uniformMatrix4fv(p->mvp, 1, 0, mvp.m);
        ++stats.uniformUploads;
        if (key.fog != fogNone) {
            const float row[4] = {mv.m[2], mv.m[6], mv.m[10], mv.m[14]};
            es.uniform4fv(p->eyeZ, 1, row);
            ++stats.uniformUploads;
        }
        if (key.textured) {
            es.uniformMatrix4fv(p->textureMatrix, 1, 0,
                                layer.texture.stack[layer.texture.top].m);
            ++stats.uniformUploads;
        }
        p->matrixSerial = layer.matrixSerial;
    }
    if (key.fog != fogNone && p->fogSerial != layer.fogSerial) {
        const FixedState& s = layer.s;
        const float range = s.fog.end - s.fog.start;
        const float params[4] = {s.fog.density, s.fog.end, range != 0 ? 1 / range : 0, 0};
        es.uniform4fv(p->fogColour, 1, s.fog.colour);
        es.uniform4fv(p->fogParams, 1, params);
        stats.uniformUploads += 2;
        p->fogSerial = layer.fogSerial;
    }
    if (key.textured && key.repeatFiltered && (key.repeatS || key.repeatT)) {
        // rare (no picture of the demo needs it): sent with every draw
        const TextureInfo* t = textureInfo(layer.s.texture.bound, false);
        const float size[4] = {float(t->width), float(t->height), 0, 0};
        es.uniform4fv(p->textureSize, 1, size);
        ++stats.uniformUploads;
    }
    if (key.textured && p->envSerial != layer.envSerial) {
        es.uniform4fv(p->envColour, 1, layer.s.texture.envColour);
        ++stats.uniformUploads;
        p->envSerial = layer.envSerial;
    }
}

}  // namespace

void drawVertices(GLenum mode, const Vertex* vertices, int count) {
    if (count <= 0 || !layer.es || layer.discard) return;
    const GlesFunctions& es = *layer.es;
    const ProgramKey key = currentKey();
    Program* p = programFor(key);
    if (!p) return;
    if (p != current) {
        es.useProgram(p->id);
        if (p->sampler >= 0 && p->matrixSerial == 0) es.uniform1i(p->sampler, 0);
        current = p;
        ++layer.stats.programSwitches;
    }
    sendUniforms(p, key);

    if (!streamBuffer) {
        es.genBuffers(1, &streamBuffer);
        es.bindBuffer(gles::ARRAY_BUFFER, streamBuffer);
        const int stride = sizeof(Vertex);
        es.vertexAttribPointer(attribPosition, 3, GL_FLOAT, 0, stride,
                               reinterpret_cast<const void*>(offsetof(Vertex, position)));
        es.vertexAttribPointer(attribTexCoord, 2, GL_FLOAT, 0, stride,
                               reinterpret_cast<const void*>(offsetof(Vertex, texCoord)));
        es.vertexAttribPointer(attribColour, 4, GL_FLOAT, 0, stride,
                               reinterpret_cast<const void*>(offsetof(Vertex, colour)));
        es.enableVertexAttribArray(attribPosition);
        es.enableVertexAttribArray(attribTexCoord);
        es.enableVertexAttribArray(attribColour);
    }
    // A fresh store each time: the driver need not wait for the last draw.
    es.bufferData(gles::ARRAY_BUFFER, ptrdiff_t(count) * ptrdiff_t(sizeof(Vertex)), vertices,
                  gles::STREAM_DRAW);
    es.drawArrays(mode, 0, count);
    ++layer.stats.draws;
    layer.stats.vertices += count;
}

Vertex currentVertex(float x, float y, float z) {
    const CurrentGroup& c = layer.s.current;
    return Vertex{{x, y, z},
                  {c.texCoord[0], c.texCoord[1]},
                  {c.colour[0], c.colour[1], c.colour[2], c.colour[3]}};
}

void drawPrimitive(GLenum mode, const Vertex* vertices, int count) {
    if (!needsConversion(mode)) return drawVertices(mode, vertices, count);
    const size_t room = size_t(count) * 3 / 2 + 3;
    if (converted.size() < room) converted.resize(room);
    const int n = convertPrimitive(&mode, vertices, count, converted.data(),
                                   layer.quadSplit == quadSplitBD);
    drawVertices(mode, converted.data(), n);
}

bool needsConversion(GLenum mode) {
    return mode == GL_QUADS || mode == GL_QUAD_STRIP || mode == GL_POLYGON;
}

int convertPrimitive(GLenum* mode, const Vertex* in, int count, Vertex* out, bool splitBD) {
    int n = 0;
    if (*mode == GL_QUADS) {
        *mode = GL_TRIANGLES;
        for (int i = 0; i + 3 < count; i += 4) {
            const Vertex* q = in + i;
            if (splitBD) {
                out[n++] = q[0], out[n++] = q[1], out[n++] = q[3];
                out[n++] = q[1], out[n++] = q[2], out[n++] = q[3];
            } else {
                out[n++] = q[0], out[n++] = q[1], out[n++] = q[2];
                out[n++] = q[0], out[n++] = q[2], out[n++] = q[3];
            }
        }
    } else if (*mode == GL_QUAD_STRIP) {
        // a quad strip draws as the triangle strip over the same vertices
        *mode = GL_TRIANGLE_STRIP;
        const int used = count - count % 2;
        for (int i = 0; i < used; ++i) out[n++] = in[i];
        if (n < 4) n = 0;
    } else if (*mode == GL_POLYGON) {
        *mode = GL_TRIANGLE_FAN;
        for (int i = 0; i < count; ++i) out[n++] = in[i];
        if (n < 3) n = 0;
    }
    return n;
}

void resetDrawingResources() {
    streamBuffer = 0;
    current = nullptr;
    forgetPrograms();
}

}  // namespace gllayer
