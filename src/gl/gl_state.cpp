// The layer's state record, its start and the texture bookkeeping.
#include "gl/gl_state.h"

#include <cstdio>
#include <vector>

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
    const TextureInfo* t = textureInfo(layer.s.boundTexture, false);
    if (!t || t->width <= 0 || t->height <= 0) return false;
    const bool wantsMipmaps = t->minFilter != GL_NEAREST && t->minFilter != GL_LINEAR;
    return !wantsMipmaps || t->mipmapped;
}

void resetState() {
    FixedState& s = layer.s;
    s = FixedState{};
    s.colour[0] = s.colour[1] = s.colour[2] = s.colour[3] = 1;
    s.normal[2] = 1;
    s.envMode = GL_MODULATE;
    s.fogMode = GL_EXP;
    s.fogDensity = 1;
    s.fogEnd = 1;
    s.blendSrc = GL_ONE;
    s.blendDst = GL_ZERO;
    s.clearDepth = 1;
    s.depthFunc = GL_LESS;
    s.depthMask = true;
    s.cullMode = GL_BACK;
    s.frontFace = GL_CCW;
    s.shadeModel = GL_SMOOTH;
    layer.modelview.top = layer.projection.top = layer.texture.top = 0;
    layer.modelview.stack[0] = layer.projection.stack[0] = layer.texture.stack[0] = identity();
    layer.matrixMode = GL_MODELVIEW;
    layer.attribTop = 0;
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
    s.blend ? es.enable(GL_BLEND) : es.disable(GL_BLEND);
    s.depthTest ? es.enable(GL_DEPTH_TEST) : es.disable(GL_DEPTH_TEST);
    s.cullFace ? es.enable(GL_CULL_FACE) : es.disable(GL_CULL_FACE);
    s.scissorTest ? es.enable(GL_SCISSOR_TEST) : es.disable(GL_SCISSOR_TEST);
    if (s.scissorBox[2] > 0 || s.scissorBox[3] > 0)
        es.scissor(s.scissorBox[0], s.scissorBox[1], s.scissorBox[2], s.scissorBox[3]);
    es.blendFunc(s.blendSrc, s.blendDst);
    es.depthFunc(s.depthFunc);
    es.depthMask(s.depthMask ? 1 : 0);
    es.cullFace(s.cullMode);
    es.frontFace(s.frontFace);
    es.clearColor(s.clearColour[0], s.clearColour[1], s.clearColour[2], s.clearColour[3]);
    es.clearDepthf(s.clearDepth);
    if (s.viewport[2] > 0 && s.viewport[3] > 0)
        es.viewport(s.viewport[0], s.viewport[1], s.viewport[2], s.viewport[3]);
}

}  // namespace gllayer

using namespace gllayer;

void resetDrawingResources();  // gl_draw.cpp

int glLayerInitWith(const GlesFunctions* functions) {
    if (!functions) return 0;
    layer.es = functions;
    resetState();
    layer.quadSplit = quadSplitAC;
    layer.stats = GlLayerStats{};
    textures.clear();
    resetDrawingResources();
    // What the ES 2 context starts with already equals the GL 1.1 defaults,
    // except that nothing is known of the viewport: ask for it once.
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
