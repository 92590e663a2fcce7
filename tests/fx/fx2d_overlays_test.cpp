#include <gtest/gtest.h>

#include <GL/gl.h>

#include <initializer_list>

#include "fx/overlays.h"
#include "fx2d_support.h"
#include "scene/texture_slot.h"
#include "state/gentle_mode.h"

namespace {

class Fx2dOverlays : public testing::Test {
protected:
    void SetUp() override {
        if (!testgl::ensureContext()) GTEST_SKIP() << "no GL context";
        for (int slot : {22, 98}) fx2d::setSolidSlot(slot, 0, 0, 0, 1);
    }
};

GLint getInt(GLenum what) {
    GLint v = 0;
    glGetIntegerv(what, &v);
    return v;
}

// Over a frame cleared to `frame`, the overlay at each level leaves the
// expected colour at every one of the points.
struct OverlayCase {
    float level;
    fx2d::Level expected;
};
struct Point {
    int x, y;
};
void expectOverlay(void (*overlay)(float), fx2d::Level frame,
                   std::initializer_list<OverlayCase> cases, std::initializer_list<Point> points) {
    for (const OverlayCase& c : cases) {
        testgl::clearFrame(frame.r, frame.g, frame.b);
        overlay(c.level);
        SCOPED_TRACE(c.level);
        for (const Point& p : points)
            EXPECT_PIXEL(p.x, p.y, c.expected.r, c.expected.g, c.expected.b);
    }
}

TEST_F(Fx2dOverlays, FadeMultipliesTheFrame) {
    expectOverlay(fadeScreen, {0.8f, 0.4f, 0.2f},
                  {{1, {0.8f, 0.4f, 0.2f}}, {1.5f, {0.8f, 0.4f, 0.2f}}, {0.5f, {0.4f, 0.2f, 0.1f}},
                   {0, {0, 0, 0}}, {-2, {0, 0, 0}}},
                  {{320, 240}, {0, 0}, {639, 479}});
}

TEST_F(Fx2dOverlays, FadeRestoresTheStateItSaved) {
    testgl::clearFrame(1, 1, 1);
    glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_DEPTH_TEST);
    glDepthMask(GL_TRUE);
    glEnable(GL_BLEND);
    fadeScreen(0.5f);
    GLint env = 0;
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &env);
    EXPECT_EQ(env, GL_REPLACE);
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    GLboolean mask = GL_FALSE;
    glGetBooleanv(GL_DEPTH_WRITEMASK, &mask);
    EXPECT_TRUE(mask);
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_EQ(getInt(GL_MATRIX_MODE), GL_MODELVIEW);
    EXPECT_EQ(getInt(GL_PROJECTION_STACK_DEPTH), 1);
    glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(Fx2dOverlays, FlashAddsToTheFrame) {
    expectOverlay(flashScreen, {0.2f, 0.4f, 0.6f},
                  {{0, {0.2f, 0.4f, 0.6f}}, {-1, {0.2f, 0.4f, 0.6f}},
                   {0.25f, {0.45f, 0.65f, 0.85f}}, {3, {1, 1, 1}}},
                  {{320, 240}, {5, 470}});
}

// Gentle play adds the same share of every flash; the fade is its own.
TEST_F(Fx2dOverlays, GentleFlashAddsItsShare) {
    gentleMode.on = true;
    expectOverlay(flashScreen, {0.2f, 0.4f, 0.6f},
                  {{0, {0.2f, 0.4f, 0.6f}}, {0.25f, {0.3f, 0.5f, 0.7f}}, {1, {0.6f, 0.8f, 1}},
                   {3, {0.6f, 0.8f, 1}}},
                  {{320, 240}, {5, 470}});
    expectOverlay(fadeScreen, {0.8f, 0.4f, 0.2f}, {{0.5f, {0.4f, 0.2f, 0.1f}}}, {{320, 240}});
    gentleMode.on = false;
}

// A green quad far behind the near plane, over the whole screen.
void drawFullScreenQuad() {
    glDisable(GL_BLEND);
    glDisable(GL_TEXTURE_2D);
    glColor4f(0, 1, 0, 1);
    glBegin(GL_QUADS);
    glVertex3f(-60, -60, -50);
    glVertex3f(60, -60, -50);
    glVertex3f(60, 60, -50);
    glVertex3f(-60, 60, -50);
    glEnd();
    glEnable(GL_TEXTURE_2D);
}

TEST_F(Fx2dOverlays, MaskedCellsHideLaterDrawing) {
    struct Case {
        int n;
        int openCells;  // cells 0 .. openCells - 1 show the quad
    } cases[] = {{-5, 1}, {0, 1}, {3, 4}, {7, 8}, {20, 8}};
    for (const Case& c : cases) {
        testgl::clearFrame(1, 0, 0);
        maskScreenCells(c.n);
        EXPECT_EQ(getInt(GL_DEPTH_FUNC), GL_LESS);
        drawFullScreenQuad();
        for (int cell = 0; cell < 8; ++cell) {
            SCOPED_TRACE(testing::Message() << "n " << c.n << " cell " << cell);
            const int x = 80 + 160 * (cell % 4), y = 120 + 240 * (cell / 4);
            if (cell < c.openCells)
                EXPECT_PIXEL(x, y, 0, 1, 0);
            else
                EXPECT_PIXEL(x, y, 1, 0, 0);
        }
    }
}

TEST_F(Fx2dOverlays, MaskRectLeavesTheColourAndItsState) {
    testgl::clearFrame(0.3f, 0.6f, 0.9f);
    setScreenProjection();
    maskScreenRect(-1, -1, 1, 1, -1);
    EXPECT_PIXEL(320, 240, 0.3f, 0.6f, 0.9f);
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    EXPECT_FALSE(glIsEnabled(GL_CULL_FACE));
    GLboolean mask = GL_FALSE;
    glGetBooleanv(GL_DEPTH_WRITEMASK, &mask);
    EXPECT_TRUE(mask);
    float colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_EQ(colour[0], 0);
    EXPECT_EQ(colour[3], 1);
    float depth = 1;
    glReadPixels(320, 240, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
    EXPECT_LT(depth, 0.01f);
}

}  // namespace
