#pragma once
// The fixed-function state the layer keeps on behalf of the ES 2 context.
#include <GL/gl.h>

#include "gl/gl_layer.h"

namespace gllayer {

struct Mat4 {
    float m[16];  // column by column, as GL stores it
};

const int matrixStackDepth = 32;
const int attribStackDepth = 16;

struct MatrixStack {
    Mat4 stack[matrixStackDepth];
    int top;
};

// Enough of a texture object to know how to sample it.
struct TextureInfo {
    int width, height;  // level 0, 0 while undefined
    GLenum format;      // GL_RGB, GL_RGBA, GL_LUMINANCE ...
    GLint minFilter, magFilter;
    GLint wrapS, wrapT;  // as asked for; see npot
    bool mipmapped;      // levels above 0 were given
};

inline TextureInfo freshTexture() {
    return TextureInfo{0, 0, GL_RGB, GL_NEAREST_MIPMAP_LINEAR, GL_LINEAR, GL_REPEAT, GL_REPEAT,
                       false};
}

// WebGL 1 cannot repeat a texture whose sides are not powers of two; such a
// texture is clamped by the driver and repeated by the shader instead, which
// also does the linear filtering across the seam.
inline bool powerOfTwo(int n) { return n > 0 && (n & (n - 1)) == 0; }
inline bool npot(const TextureInfo& t) { return !powerOfTwo(t.width) || !powerOfTwo(t.height); }

// The state glPushAttrib saves, one record per attribute group, so that a
// pop is a copy per group. Every switch lives in the group GL files it under
// besides GL_ENABLE_BIT (blending under the colour buffer, fog under fog ...);
// GL_ENABLE_BIT reaches them through their capability names.
struct CurrentGroup {  // GL_CURRENT_BIT: the current vertex values
    float colour[4], texCoord[2], normal[3];
};
struct FogGroup {  // GL_FOG_BIT (the mode starts as GL_EXP, as in GL)
    bool enabled;
    GLenum mode;
    float density, start, end, colour[4];
};
struct LightingGroup {  // GL_LIGHTING_BIT
    bool enabled;
    GLenum shadeModel;
};
struct TextureGroup {  // GL_TEXTURE_BIT
    bool enabled;  // GL_TEXTURE_2D
    GLuint bound;
    GLenum envMode;
    float envColour[4];
};
struct DepthGroup {  // GL_DEPTH_BUFFER_BIT
    bool test;
    GLenum func;
    float clear;
    bool mask;
};
struct ColourBufferGroup {  // GL_COLOR_BUFFER_BIT
    bool blend, alphaTest;
    GLenum blendSrc, blendDst;
    float clearColour[4];
    bool colourMask[4];
};
struct PolygonGroup {  // GL_POLYGON_BIT
    bool cullFace;
    GLenum cullMode, frontFace;
};
struct ViewportGroup {  // GL_VIEWPORT_BIT
    GLint box[4];
};
struct ScissorGroup {  // GL_SCISSOR_BIT
    bool test;
    GLint box[4];
};

struct FixedState {
    CurrentGroup current;
    FogGroup fog;
    LightingGroup lighting;
    TextureGroup texture;
    DepthGroup depth;
    ColourBufferGroup colourBuffer;
    PolygonGroup polygon;
    ViewportGroup viewport;
    ScissorGroup scissor;
};

struct AttribFrame {
    GLbitfield mask;
    FixedState saved;
};

struct ClientArray {
    bool enabled;
    GLint size;
    GLenum type;
    GLsizei stride;
    const void* pointer;
};

// The client state glPushClientAttrib saves.
struct ClientAttribFrame {
    GLbitfield mask;
    ClientArray vertexArray, colourArray, texCoordArray, normalArray;
    GLint unpackAlignment, packAlignment;
};

struct Layer {
    const GlesFunctions* es;
    FixedState s;
    MatrixStack modelview, projection, texture;
    GLenum matrixMode;
    AttribFrame attribs[attribStackDepth];
    int attribTop;
    ClientArray vertexArray, colourArray, texCoordArray, normalArray;
    ClientAttribFrame clientAttribs[attribStackDepth];
    int clientAttribTop;
    GLint unpackAlignment, packAlignment;
    GLenum error;
    // bumped on every change the shaders read, so uniforms go up only when stale
    unsigned matrixSerial, fogSerial, envSerial;
    GlQuadSplit quadSplit;
    GlLayerStats stats;
    // GL_RASTERIZER_DISCARD (WebGL 1 has none): draws and clears do nothing.
    bool discard = false;
};

extern Layer layer;

inline MatrixStack& currentStack() {
    if (layer.matrixMode == GL_PROJECTION) return layer.projection;
    if (layer.matrixMode == GL_TEXTURE) return layer.texture;
    return layer.modelview;
}

inline void setError(GLenum e) {
    if (layer.error == GL_NO_ERROR) layer.error = e;
}

// Keeps the four values of a colour, a box or a mask, in order.
template <typename T>
inline void storeFour(T* to, T a, T b, T c, T d) {
    to[0] = a;
    to[1] = b;
    to[2] = c;
    to[3] = d;
}

// Texture objects, by GL name.
TextureInfo* textureInfo(GLuint name, bool create);
// True when the bound texture can be sampled (GL 1.1 turns texturing off
// for an incomplete texture; ES 2 would sample black instead).
bool boundTextureComplete();

// Sends the state that maps one to one onto ES 2 (blend, depth, culling,
// viewport, scissor, colour mask, clear values) to the driver, after init and
// glPopAttrib.
void applyDirectState();

// The switch glEnable / glIsEnabled keep for a capability; null for those the
// layer does not keep.
bool* capFlag(FixedState& s, GLenum cap);

void resetState();

Mat4 identity();
Mat4 multiply(const Mat4& a, const Mat4& b);

}  // namespace gllayer
