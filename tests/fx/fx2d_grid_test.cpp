#include <gtest/gtest.h>

#include <GL/gl.h>

#include <cmath>
#include <cstdlib>

#include "fx/grid_layer.h"
#include "fx/grid_movers.h"
#include "fx2d_support.h"
#include "glcalls/gl_calls.h"
#include "scene/evaluate.h"
#include "state/demo_memory.h"

namespace {

struct Layer {
    GridLayer layer{};
    ~Layer() { giveBackDemoMemory(layer.vertices); }
};

TEST(Fx2dGridLayerBuild, VerticesSpanTheRectangleRowByRow) {
    Layer l;
    buildGridLayer(&l.layer, -1, -0.5f, 1, 0.5f, -1, 0, 1, 2, 3, 3, 2, 7, gridVertexStill);
    ASSERT_EQ(l.layer.vertexCount, 6);
    EXPECT_EQ(l.layer.columns, 3);
    EXPECT_EQ(l.layer.rows, 2);
    EXPECT_EQ(l.layer.textureSlot, 7);
    const GridVertex* v = l.layer.vertices;
    EXPECT_FLOAT_EQ(v[1].base.x, 0);
    EXPECT_FLOAT_EQ(v[1].base.y, -0.5f);
    EXPECT_FLOAT_EQ(v[1].u, 1);
    EXPECT_FLOAT_EQ(v[5].base.x, 1);
    EXPECT_FLOAT_EQ(v[5].base.y, 0.5f);
    EXPECT_FLOAT_EQ(v[5].base.z, -1);
    EXPECT_FLOAT_EQ(v[5].u, 2);
    EXPECT_FLOAT_EQ(v[5].v, 3);
}

TEST(Fx2dGridLayerMovers, FollowTheirFormulas) {
    GridVertex v{};
    v.base = Vec3{1, 1, -1};
    gridVertexRipple(&v, 0);
    EXPECT_NEAR(v.pos.z, -2 - 0.5 * std::cos(6 * std::sqrt(2.0)), 1e-5);
    EXPECT_EQ(v.pos.x, 1);

    v.base = Vec3{0.25f, -0.5f, -1};
    gridVertexStill(&v, 123);
    EXPECT_EQ(v.pos.x, 0.25f);
    EXPECT_EQ(v.pos.y, -0.5f);

    const double pi = 3.14159265358979323846;
    gridVertexWobble(&v, 100);  // s = 0.1
    EXPECT_NEAR(v.pos.x, 0.25 + 0.03 * std::cos(2 * pi * 0.35) + 0.04 * std::sin(20 * pi * 0.35),
                1e-5);
    EXPECT_NEAR(v.pos.y, -0.5 + 0.03 * std::sin(2 * pi * -0.4) + 0.04 * std::cos(20 * pi * -0.4),
                1e-5);
    EXPECT_EQ(v.pos.z, -1);

    gridVertexDrift(&v, 10);  // s = 0.1
    EXPECT_NEAR(v.pos.x, 0.25 + 0.01 * (std::cos(2 * pi * 0.35) + std::sin(5 * pi * 0.35)), 1e-6);
    EXPECT_NEAR(v.pos.y, -0.5 + 0.01 * (std::cos(5 * pi * -0.4) + std::sin(2 * pi * -0.4)), 1e-6);
}

int moverCalls = 0;
void countingMover(GridVertex* v, float t) {
    ++moverCalls;
    gridVertexStill(v, t);
}

class Fx2dGridDraw : public testing::Test {
protected:
    void SetUp() override {
        if (!testgl::ensureContext()) GTEST_SKIP() << "no GL context";
        fx2d::setSolidSlot(5, 255, 255, 255, 1);
        fx2d::setSolidSlot(6, 0, 0, 0, 1);
    }
};

// Rectangle (0, 0)-(0.5, 0.5) covers pixels x 320..480, y 240..360.
TEST_F(Fx2dGridDraw, ScaledAndOffsetPlacement) {
    Layer l;
    buildGridLayer(&l.layer, 0, 0, 0.5f, 0.5f, -1, 0, 0, 1, 1, 2, 2, 5, gridVertexStill);

    testgl::clearFrame(0, 0, 0);
    drawGridScaled(&l.layer, 1, 1, 1, 1, 0);
    EXPECT_PIXEL(325, 245, 1, 1, 1);
    EXPECT_PIXEL(475, 355, 1, 1, 1);
    EXPECT_PIXEL(315, 245, 0, 0, 0);
    EXPECT_PIXEL(485, 300, 0, 0, 0);
    EXPECT_PIXEL(400, 365, 0, 0, 0);
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_PROJECTION);
    EXPECT_FALSE(glIsEnabled(GL_BLEND));

    testgl::clearFrame(0, 0, 0);
    drawGridScaled(&l.layer, 1, 2, 2, 1, 0);  // about the centre: 0..1
    EXPECT_PIXEL(635, 475, 1, 1, 1);
    EXPECT_PIXEL(325, 245, 1, 1, 1);
    EXPECT_PIXEL(315, 235, 0, 0, 0);

    testgl::clearFrame(0, 0, 0);
    drawGridOffset(&l.layer, 1, 0.5f, 0, 0, 0);  // a quarter screen to the right
    EXPECT_PIXEL(485, 300, 1, 1, 1);
    EXPECT_PIXEL(635, 300, 1, 1, 1);
    EXPECT_PIXEL(475, 300, 0, 0, 0);
}

TEST_F(Fx2dGridDraw, TwoByTwoLayerCoversItsRectangleAndBrightnessScales) {
    Layer l;
    buildGridLayer(&l.layer, -1, -1, 1, 1, -1, 0, 0, 1, 1, 2, 2, 5, gridVertexStill);
    testgl::clearFrame(0.25f, 0, 0);
    drawGridScaled(&l.layer, 0.5f, 1, 1, 1, 0);
    for (int x : {1, 320, 638})
        for (int y : {1, 240, 478}) EXPECT_PIXEL(x, y, 0.75f, 0.5f, 0.5f);
}

TEST_F(Fx2dGridDraw, ZeroBrightnessDrawsNothingAndMovesNothing) {
    Layer l;
    buildGridLayer(&l.layer, -1, -1, 1, 1, -1, 0, 0, 1, 1, 4, 3, 5, countingMover);
    testgl::clearFrame(0.2f, 0.2f, 0.2f);
    moverCalls = 0;
    drawGridScaled(&l.layer, 0, 1, 1, 1, 0);
    drawGridOffsetMultiply(&l.layer, 0, 0, 0, 0, 0);
    EXPECT_EQ(moverCalls, 0);
    EXPECT_PIXEL(320, 240, 0.2f, 0.2f, 0.2f);
    drawGridOffset(&l.layer, 1, 0, 0, 0, 0);
    EXPECT_EQ(moverCalls, 12);
}

TEST_F(Fx2dGridDraw, MultiplyByWhiteKeepsByBlackClears) {
    Layer white, black;
    buildGridLayer(&white.layer, -1, -1, 1, 1, -1, 0, 0, 1, 1, 3, 3, 5, gridVertexStill);
    buildGridLayer(&black.layer, -1, -1, 0, 1, -1, 0, 0, 1, 1, 2, 2, 6, gridVertexStill);

    testgl::clearFrame(0.6f, 0.4f, 0.2f);
    drawGridScaledMultiply(&white.layer, 1, 1, 1, 1, 0);
    EXPECT_PIXEL(100, 100, 0.6f, 0.4f, 0.2f);
    EXPECT_PIXEL(500, 400, 0.6f, 0.4f, 0.2f);

    drawGridOffsetMultiply(&black.layer, 1, 0, 0, 0, 0);  // left half
    EXPECT_PIXEL(100, 100, 0, 0, 0);
    EXPECT_PIXEL(500, 400, 0.6f, 0.4f, 0.2f);
    GLint env = 0;
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &env);
    EXPECT_EQ(env, GL_MODULATE);
}

// Played for its history only, a frame moves no vertex (each frame drawn
// places them afresh) and leaves current the texture coordinate the drawn
// frame's last corner leaves.
TEST_F(Fx2dGridDraw, AFramePlayedUnseenMovesNothingAndLeavesTheLastCoordinate) {
    Layer l;
    buildGridLayer(&l.layer, -1, -1, 1, 1, -1, 0.1f, 0.2f, 0.7f, 0.9f, 4, 3, 5, countingMover);
    GLfloat drawn[4] = {}, unseen[4] = {};
    glTexCoord2f(5, 5);
    drawGridScaled(&l.layer, 1, 1, 1, 1, 0);
    glGetFloatv(GL_CURRENT_TEXTURE_COORDS, drawn);
    EXPECT_FLOAT_EQ(drawn[0], 0.1f + 0.6f * 2 / 3);  // the third of four columns
    EXPECT_FLOAT_EQ(drawn[1], 0.9f);                 // the last row

    glTexCoord2f(5, 5);
    moverCalls = 0;
    setGlCallMode(GlCallMode::historyOnly);
    evaluateVertices(false);
    drawGridOffset(&l.layer, 1, 0, 0, 0, 0);
    evaluateVertices(true);
    setGlCallMode(GlCallMode::drawing);
    EXPECT_EQ(moverCalls, 0);
    glGetFloatv(GL_CURRENT_TEXTURE_COORDS, unseen);
    EXPECT_EQ(unseen[0], drawn[0]);
    EXPECT_EQ(unseen[1], drawn[1]);
}

}  // namespace
