// The layer's state record, its start and the texture bookkeeping.
#include "gl/gl_state.h"

#include <cstdio>
#include <vector>

#include "gl/gl_draw.h"

namespace gllayer {

Layer layer = {};

namespace {
// Indexed by texture name; grown while textures are created (at load time).
std::vector<TextureInfo> textures;
}  // namespace

Mat4 identity() {
    Mat4 r = {};
    r.m[0] = r.m[5] = r.m[10] = r.m[15] = 1;
    return r;
}

Mat4 multiply(const Mat4& a, const Mat4& b) {
    Mat4 r;
    for (int c = 0; c < 4; ++c)
        for (int row = 0; row < 4; ++row) {
            float sum = 0;
            for (int k = 0; k < 4; ++k) sum += a.m[k * 4 + row] * b.m[c * 4 + k];
            r.m[c * 4 + row] = sum;
        }
    return r;
}

TextureInfo* textureInfo(GLuint name, bool create) {
    if (name >= textures.size()) {
        if (!create) return nullptr;
        textures.resize(size_t(name) + 64, freshTexture());
    }
    return &textures[name];
}

bool boundTextureComplete() {
    const TextureInfo* t = textureInfo(layer.s.texture.bound, false);
    if (!t || t->width <= 0 || t->height <= 0) return false;
    const bool wantsMipmaps = t->minFilter != GL_NEAREST && t->minFilter != GL_LINEAR;
    return !wantsMipmaps || t->mipmapped;
}

void resetState() {
    FixedState& s = layer.s;
    s = FixedState{};
    s.current.colour[0] = s.current.colour[1] = s.current.colour[2] = s.current.colour[3] = 1;
    s.current.normal[2] = 1;
    s.texture.envMode = GL_MODULATE;
    s.fog.mode = GL_EXP;
    s.fog.density = 1;
    s.fog.end = 1;
    s.colourBuffer.blendSrc = GL_ONE;
    s.colourBuffer.blendDst = GL_ZERO;
    s.depth.clear = 1;
    s.depth.func = GL_LESS;
    s.depth.mask = true;
    for (bool& on : s.colourBuffer.colourMask) on = true;
    s.polygon.cullMode = GL_BACK;
    s.polygon.frontFace = GL_CCW;
    s.lighting.shadeModel = GL_SMOOTH;
    layer.modelview.top = layer.projection.top = layer.texture.top = 0;
    layer.modelview.stack[0] = layer.projection.stack[0] = layer.texture.stack[0] = identity();
    layer.matrixMode = GL_MODELVIEW;
    layer.attribTop = 0;
    layer.clientAttribTop = 0;
    layer.vertexArray = layer.colourArray = layer.texCoordArray = layer.normalArray = ClientArray{};
    layer.unpackAlignment = layer.packAlignment = 4;
    layer.error = GL_NO_ERROR;
    ++layer.matrixSerial;
    ++layer.fogSerial;
    ++layer.envSerial;
}

void applyDirectState() {
    const GlesFunctions& es = *layer.es;
    const FixedState& s = layer.s;
    s.colourBuffer.blend ? es.enable(GL_BLEND) : es.disable(GL_BLEND);
    s.depth.test ? es.enable(GL_DEPTH_TEST) : es.disable(GL_DEPTH_TEST);
    s.polygon.cullFace ? es.enable(GL_CULL_FACE) : es.disable(GL_CULL_FACE);
    s.scissor.test ? es.enable(GL_SCISSOR_TEST) : es.disable(GL_SCISSOR_TEST);
    if (s.scissor.box[2] > 0 || s.scissor.box[3] > 0)
        es.scissor(s.scissor.box[0], s.scissor.box[1], s.scissor.box[2], s.scissor.box[3]);
    es.blendFunc(s.colourBuffer.blendSrc, s.colourBuffer.blendDst);
    es.depthFunc(s.depth.func);
    es.depthMask(s.depth.mask ? 1 : 0);
    es.cullFace(s.polygon.cullMode);
    es.frontFace(s.polygon.frontFace);
    const ColourBufferGroup& c = s.colourBuffer;
    es.colorMask(c.colourMask[0], c.colourMask[1], c.colourMask[2], c.colourMask[3]);
    es.clearColor(c.clearColour[0], c.clearColour[1], c.clearColour[2], c.clearColour[3]);
    es.clearDepthf(s.depth.clear);
    if (s.viewport.box[2] > 0 && s.viewport.box[3] > 0)
        es.viewport(s.viewport.box[0], s.viewport.box[1], s.viewport.box[2], s.viewport.box[3]);
}

}  // namespace gllayer

using namespace gllayer;

int glLayerInitWith(const GlesFunctions* functions) {
    if (!functions) return 0;
    layer.es = functions;
    resetState();
    layer.quadSplit = quadSplitAC;
    layer.stats = GlLayerStats{};
    textures.clear();
    resetDrawingResources();
    // The context may come from an earlier user (a test, a restored page):
    // send every direct setting, so the driver and the record agree. The
    // viewport stays the driver's until the first glViewport.
    applyDirectState();
    return 1;
}

int glLayerInit(GlesProcLoader load) {
    static GlesFunctions table;
    if (!load || !loadGlesFunctions(load, &table)) {
        std::fprintf(stderr, "gl layer: cannot reach the OpenGL ES 2 functions\n");
        return 0;
    }
    return glLayerInitWith(&table);
}

const GlLayerStats* glLayerStats() { return &layer.stats; }

void glLayerSetQuadSplit(GlQuadSplit split) { layer.quadSplit = split; }
