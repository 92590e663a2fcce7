// The layer's own bookkeeping: primitive conversion, the attribute and
// matrix stacks, the shader variants, and what reaches the driver.
#include <gtest/gtest.h>

#include <GL/glu.h>

#include "draw_cases.h"
#include "gl/gl_draw.h"
#include "gl/gl_layer.h"
#include "gl/gl_programs.h"
#include "gl/gl_state.h"

using namespace gllayer;

namespace {

Vertex at(float x) { return Vertex{{x, 0, 0}, {0, 0}, {1, 1, 1, 1}}; }

std::vector<float> xs(const Vertex* v, int n) {
    std::vector<float> out;
    for (int i = 0; i < n; ++i) out.push_back(v[i].position[0]);
    return out;
}

TEST(PrimitiveConversion, QuadsBecomeTwoTrianglesEachInVertexOrder) {
    const Vertex in[9] = {at(0), at(1), at(2), at(3), at(4), at(5), at(6), at(7), at(8)};
    Vertex out[20];
    GLenum mode = GL_QUADS;
    const int n = convertPrimitive(&mode, in, 9, out, false);  // the ninth vertex is dropped
    EXPECT_EQ(mode, unsigned(GL_TRIANGLES));
    EXPECT_EQ(xs(out, n), (std::vector<float>{0, 1, 2, 0, 2, 3, 4, 5, 6, 4, 6, 7}));
    mode = GL_QUADS;
    const int m = convertPrimitive(&mode, in, 4, out, true);
    EXPECT_EQ(xs(out, m), (std::vector<float>{0, 1, 3, 1, 2, 3}));
}

TEST(PrimitiveConversion, StripsAndPolygonsAndShortInput) {
    const Vertex in[5] = {at(0), at(1), at(2), at(3), at(4)};
    Vertex out[12];
    GLenum mode = GL_QUAD_STRIP;
    EXPECT_EQ(convertPrimitive(&mode, in, 5, out, false), 4);  // an odd vertex is dropped
    EXPECT_EQ(mode, unsigned(GL_TRIANGLE_STRIP));
    mode = GL_QUAD_STRIP;
    EXPECT_EQ(convertPrimitive(&mode, in, 3, out, false), 0);
    mode = GL_POLYGON;
    EXPECT_EQ(convertPrimitive(&mode, in, 5, out, false), 5);
    EXPECT_EQ(mode, unsigned(GL_TRIANGLE_FAN));
    mode = GL_POLYGON;
    EXPECT_EQ(convertPrimitive(&mode, in, 2, out, false), 0);
    mode = GL_QUADS;
    EXPECT_EQ(convertPrimitive(&mode, in, 3, out, false), 0);
    EXPECT_FALSE(needsConversion(GL_LINES));
    EXPECT_FALSE(needsConversion(GL_TRIANGLES));
}

// Every combination the layer can ask for, textured or not.
std::vector<ProgramKey> allKeys() {
    std::vector<ProgramKey> keys;
    for (int t = 0; t < 2; ++t)
        for (int e = 0; e < 4; ++e)
            for (int a = 0; a < 2; ++a)
                for (int f = 0; f < 4; ++f)
                    for (int r = 0; r < 8; ++r)
                        keys.push_back(ProgramKey{t == 1, EnvKind(e), a == 1, FogKind(f),
                                                  (r & 1) != 0, (r & 2) != 0, (r & 4) != 0});
    return keys;
}

TEST(ShaderVariants, EveryKeyHasItsOwnSlot) {
    std::vector<int> seen(programCount, 0);
    for (const ProgramKey& key : allKeys()) {
        const int i = programIndex(key);
        ASSERT_GE(i, 0);
        ASSERT_LT(i, programCount);
        // a filtered repeat without a repeating axis is the same as none
        if (key.textured && (key.repeatS || key.repeatT || !key.repeatFiltered)) {
            EXPECT_EQ(seen[i]++, 0) << "texture keys share slot " << i;
        }
    }
}

class LayerState : public ::testing::Test {
protected:
    void SetUp() override {
        if (!layertest::openLayerContext(layertest::caseSize, layertest::caseSize))
            GTEST_SKIP() << "no OpenGL ES 2 context";
        while (glGetError() != GL_NO_ERROR) {
        }
    }
};

TEST_F(LayerState, EveryShaderVariantCompilesAndLinks) {
    for (const ProgramKey& key : allKeys())
        EXPECT_NE(programFor(key), nullptr) << programIndex(key);
}

TEST_F(LayerState, PopAttribRestoresOnlyTheGroupsPushed) {
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_SRC_ALPHA);
    glDepthMask(GL_TRUE);
    glDepthFunc(GL_LEQUAL);
    glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    GLuint names[2];
    glGenTextures(2, names);
    glBindTexture(GL_TEXTURE_2D, names[0]);

    glPushAttrib(GL_TEXTURE_BIT | GL_LIGHTING_BIT | GL_DEPTH_BUFFER_BIT);
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_LIGHTING);
    glDepthMask(GL_FALSE);
    glDepthFunc(GL_ALWAYS);
    glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_BLEND);
    glBindTexture(GL_TEXTURE_2D, names[1]);
    glBlendFunc(GL_ZERO, GL_SRC_COLOR);  // colour-buffer state: not pushed
    glDisable(GL_BLEND);
    glColor4f(0.5f, 0.25f, 0.125f, 1);   // current state: not pushed
    GLint depth = 0;
    glGetIntegerv(GL_ATTRIB_STACK_DEPTH, &depth);
    EXPECT_EQ(depth, 1);
    glPopAttrib();

    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
    GLboolean mask = GL_FALSE;
    glGetBooleanv(GL_DEPTH_WRITEMASK, &mask);
    EXPECT_EQ(mask, GL_TRUE);
    GLint v = 0;
    glGetIntegerv(GL_DEPTH_FUNC, &v);
    EXPECT_EQ(v, GL_LEQUAL);
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &v);
    EXPECT_EQ(v, GL_MODULATE);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &v);
    EXPECT_EQ(GLuint(v), names[0]);
    // what was outside the pushed groups keeps its new value
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    glGetIntegerv(GL_BLEND_SRC, &v);
    EXPECT_EQ(v, GL_ZERO);
    GLfloat c[4];
    glGetFloatv(GL_CURRENT_COLOR, c);
    EXPECT_FLOAT_EQ(c[1], 0.25f);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    glPopAttrib();
    EXPECT_EQ(glGetError(), GLenum(GL_STACK_UNDERFLOW));
    glDisable(GL_TEXTURE_2D);
}

// Every switch belongs to the enable group and to its own one: popping either
// brings it back; the colour mask goes with the colour buffer.
TEST_F(LayerState, SwitchesComeBackWithEitherGroupAndTheMaskWithTheColourBuffer) {
    const GLenum caps[] = {GL_TEXTURE_2D, GL_FOG,        GL_LIGHTING,   GL_BLEND,
                           GL_DEPTH_TEST, GL_CULL_FACE, GL_ALPHA_TEST, GL_SCISSOR_TEST};
    const GLbitfield groups[] = {GL_TEXTURE_BIT,      GL_FOG_BIT,     GL_LIGHTING_BIT,
                                 GL_COLOR_BUFFER_BIT, GL_DEPTH_BUFFER_BIT, GL_POLYGON_BIT,
                                 GL_COLOR_BUFFER_BIT, GL_SCISSOR_BIT};
    for (int i = 0; i < 8; ++i) {
        for (GLbitfield group : {GLbitfield(GL_ENABLE_BIT), groups[i]}) {
            glEnable(caps[i]);
            glPushAttrib(group);
            glDisable(caps[i]);
            glPopAttrib();
            EXPECT_TRUE(glIsEnabled(caps[i])) << std::hex << caps[i] << " group " << group;
            glDisable(caps[i]);
        }
    }
    glColorMask(GL_TRUE, GL_FALSE, GL_TRUE, GL_FALSE);
    glPushAttrib(GL_COLOR_BUFFER_BIT);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glPopAttrib();
    GLboolean mask[4] = {};
    glGetBooleanv(GL_COLOR_WRITEMASK, mask);
    EXPECT_EQ(mask[0], GL_TRUE);
    EXPECT_EQ(mask[1], GL_FALSE);
    EXPECT_EQ(mask[3], GL_FALSE);
    glPushAttrib(GL_ENABLE_BIT);  // not the colour buffer: the mask stays as set
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glPopAttrib();
    glGetBooleanv(GL_COLOR_WRITEMASK, mask);
    EXPECT_EQ(mask[1], GL_TRUE);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(LayerState, MatrixStacksAreSeparateAndBounded) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(90, 1, 1, 100000);
    GLfloat p[16];
    glGetFloatv(GL_PROJECTION_MATRIX, p);
    EXPECT_NEAR(p[0], 1, 1e-6);
    EXPECT_NEAR(p[5], 1, 1e-6);
    EXPECT_FLOAT_EQ(p[11], -1);
    EXPECT_NEAR(p[10], -100001.0 / 99999.0, 1e-6);
    glPushMatrix();
    glTranslatef(1, 2, 3);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glRotatef(90, 0, 0, 1);
    GLfloat m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    EXPECT_NEAR(m[1], 1, 1e-6);  // x axis turned onto y
    EXPECT_NEAR(m[4], -1, 1e-6);
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glGetFloatv(GL_PROJECTION_MATRIX, m);
    EXPECT_FLOAT_EQ(m[12], p[12]);  // the translation went with the pop
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    glPopMatrix();
    EXPECT_EQ(glGetError(), GLenum(GL_STACK_UNDERFLOW));
    for (int i = 0; i < 40; ++i) glPushMatrix();
    EXPECT_EQ(glGetError(), GLenum(GL_STACK_OVERFLOW));
    GLint depth = 0;
    glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &depth);
    EXPECT_EQ(depth, 32);
    for (int i = 0; i < 40; ++i) glPopMatrix();
    glGetError();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

TEST_F(LayerState, OneDrawPerBatchAndUniformsOnlyWhenStale) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(90, 1, 1, 100);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_FOG);
    auto quads = [] {
        glBegin(GL_QUADS);
        for (int i = 0; i < 50; ++i) {
            glVertex3f(-1, -1, -1);
            glVertex3f(1, -1, -1);
            glVertex3f(1, 1, -1);
            glVertex3f(-1, 1, -1);
        }
        glEnd();
    };
    quads();
    const GlLayerStats before = *glLayerStats();
    quads();
    const GlLayerStats& after = *glLayerStats();
    EXPECT_EQ(after.draws, before.draws + 1);
    EXPECT_EQ(after.vertices, before.vertices + 300);
    EXPECT_EQ(after.uniformUploads, before.uniformUploads);
    EXPECT_EQ(after.programSwitches, before.programSwitches);
    glTranslatef(0, 0, -1);
    quads();
    EXPECT_GT(glLayerStats()->uniformUploads, before.uniformUploads);
    glLoadIdentity();
    // an empty batch reaches nobody
    const long draws = glLayerStats()->draws;
    glBegin(GL_TRIANGLES);
    glEnd();
    EXPECT_EQ(glLayerStats()->draws, draws);
}

TEST_F(LayerState, MisuseIsReportedAsGlWould) {
    glBegin(GL_TRIANGLES);
    glBegin(GL_TRIANGLES);
    EXPECT_EQ(glGetError(), GLenum(GL_INVALID_OPERATION));
    glEnd();
    glEnd();
    EXPECT_EQ(glGetError(), GLenum(GL_INVALID_OPERATION));
    glBegin(0x1234);
    EXPECT_EQ(glGetError(), GLenum(GL_INVALID_ENUM));
    glFogf(GL_FOG_DENSITY, -1);
    EXPECT_EQ(glGetError(), GLenum(GL_INVALID_VALUE));
    GLfloat d = 0;
    glGetFloatv(GL_FOG_DENSITY, &d);
    EXPECT_GE(d, 0);
    glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_LINEAR);
    EXPECT_EQ(glGetError(), GLenum(GL_INVALID_ENUM));
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(LayerState, PopClientAttribRestoresTheArraysAndThePixelStore) {
    glEnableClientState(GL_VERTEX_ARRAY);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glPushClientAttrib(GL_CLIENT_ALL_ATTRIB_BITS);
    glDisableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    glPixelStorei(GL_PACK_ALIGNMENT, 8);
    glPopClientAttrib();
    EXPECT_TRUE(layer.vertexArray.enabled);
    EXPECT_FALSE(layer.colourArray.enabled);
    GLint alignment = 0;
    glGetIntegerv(GL_PACK_ALIGNMENT, &alignment);
    EXPECT_EQ(alignment, 1);
    glPopClientAttrib();
    EXPECT_EQ(glGetError(), GLenum(GL_STACK_UNDERFLOW));
    glDisableClientState(GL_VERTEX_ARRAY);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
}

TEST_F(LayerState, ReadPixelsPacksRgbRowsByTheAlignment) {
    glClearColor(1, 0.5f, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    unsigned char rows[2 * 12];  // 3 pixels of 3 bytes, rows padded to 12
    std::fill(rows, rows + sizeof rows, 7);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadPixels(0, 0, 3, 2, GL_RGB, GL_UNSIGNED_BYTE, rows);
    EXPECT_EQ(rows[0], 255);
    EXPECT_NEAR(rows[1], 128, 1);
    EXPECT_EQ(rows[2], 0);
    EXPECT_EQ(rows[9], 7);  // padding untouched
    EXPECT_EQ(rows[12], 255);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glClearColor(0.2f, 0.2f, 0.2f, 0);
}

// GL 3.0's rasterizer discard, which ES 2 lacks: the layer keeps it, and
// while it is on neither a draw nor a clear reaches the picture (a seek plays
// frames for their history only).
TEST_F(LayerState, RasterizerDiscardLeavesThePictureAlone) {
    const GLenum rasterizerDiscard = 0x8C89;
    auto centre = [] {
        unsigned char rgb[3] = {0, 0, 0};
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(layertest::caseSize / 2, layertest::caseSize / 2, 1, 1, GL_RGB,
                     GL_UNSIGNED_BYTE, rgb);
        return std::vector<int>{rgb[0], rgb[1], rgb[2]};
    };
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_FOG);
    glDisable(GL_DEPTH_TEST);
    glClearColor(1, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glEnable(rasterizerDiscard);
    glClearColor(0, 1, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    const long draws = glLayerStats()->draws;
    glColor3f(0, 0, 1);
    glBegin(GL_TRIANGLES);
    glVertex2f(-1, -1);
    glVertex2f(3, -1);
    glVertex2f(-1, 3);
    glEnd();
    EXPECT_EQ(glLayerStats()->draws, draws);
    EXPECT_EQ(centre(), (std::vector<int>{255, 0, 0}));
    glDisable(rasterizerDiscard);
    glBegin(GL_TRIANGLES);
    glVertex2f(-1, -1);
    glVertex2f(3, -1);
    glVertex2f(-1, 3);
    glEnd();
    EXPECT_EQ(centre(), (std::vector<int>{0, 0, 255}));
    glColor3f(1, 1, 1);
    glClearColor(0.2f, 0.2f, 0.2f, 0);
}

}  // namespace
