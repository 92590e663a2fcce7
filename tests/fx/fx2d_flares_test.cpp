#include <gtest/gtest.h>

#include <GL/gl.h>

#include <cstdlib>

#include "fx/lens_flares.h"
#include "fx2d_support.h"
#include "state/demo_clock.h"
#include "state/demo_state.h"

namespace {

class Fx2dFlares : public testing::Test {
protected:
    void SetUp() override {
        if (!testgl::ensureContext()) GTEST_SKIP() << "no GL context";
        scene = static_cast<Scene*>(std::calloc(1, sizeof(Scene)));
        white = testgl::solidTexture(255, 255, 255);
        savedClock = demo.DemoClock;
    }
    void TearDown() override {
        demo.DemoClock = savedClock;
        std::free(scene);
    }

    // One set of `count` lenses of the given colour and half size.
    FlareSet* addSet(Vec3* source, int count, float r, float g, float b, float size) {
        FlareSet* set = &scene->flareSets[scene->flareSetCount++];
        set->lensCount = count;
        set->lenses = lenses + used;
        for (int i = 0; i < count; ++i) lenses[used + i] = FlareLens{white, size, r, g, b};
        used += count;
        set->source = source;
        set->spacing = 0.5f;
        set->falloff = 0.1f;
        set->fadeRate = 0.1f;
        set->fadeDir = 1;
        return set;
    }

    Scene* scene = nullptr;
    unsigned white = 0;
    FlareLens lenses[16];
    int used = 0;
    DemoClockRecord savedClock{};
};

TEST_F(Fx2dFlares, StraightAheadStacksAtTheCentreAndFadesIn) {
    Vec3 ahead{0, 0, -10};
    FlareSet* set = addSet(&ahead, 2, 0.2f, 0.1f, 0.4f, 0.1f);
    demo.DemoClock.frameStep = 0.5f;

    testgl::clearFrame(0, 0, 0);
    drawLensFlares(scene);
    EXPECT_FLOAT_EQ(set->intensity, 0.5f);
    EXPECT_PIXEL(320, 240, 0.2f, 0.1f, 0.4f);  // two lenses at weight 0.5
    EXPECT_PIXEL(320 + 40, 240, 0, 0, 0);      // outside the half size of 0.1

    testgl::clearFrame(0, 0, 0);
    drawLensFlares(scene);
    EXPECT_FLOAT_EQ(set->intensity, 1.0f);
    EXPECT_PIXEL(320, 240, 0.4f, 0.2f, 0.8f);
    drawLensFlares(scene);
    EXPECT_FLOAT_EQ(set->intensity, 1.0f);

    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_PROJECTION);
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    EXPECT_FALSE(glIsEnabled(GL_CULL_FACE));
}

TEST_F(Fx2dFlares, AnchorMirrorsALightUpToTheRight) {
    Vec3 light{2, 2, -10};  // anchor (-0.2, -0.2): pixel (256, 192)
    FlareSet* set = addSet(&light, 1, 1, 1, 1, 0.05f);
    set->falloff = 0;
    set->intensity = 1;
    set->fadeDir = 2;  // held
    testgl::clearFrame(0, 0, 0);
    drawLensFlares(scene);
    EXPECT_EQ(set->intensity, 1.0f);
    EXPECT_PIXEL(256, 192, 1, 1, 1);
    EXPECT_PIXEL(320, 240, 0, 0, 0);
    EXPECT_PIXEL(384, 288, 0, 0, 0);
}

TEST_F(Fx2dFlares, FarOffCentreDrawsNothingVisible) {
    Vec3 light{0.5f, 0, -1};  // |s| x falloff x 3 = 1.5
    FlareSet* set = addSet(&light, 3, 1, 1, 1, 0.2f);
    set->falloff = 1;
    set->intensity = 1;
    testgl::clearFrame(0.3f, 0.3f, 0.3f);
    drawLensFlares(scene);
    EXPECT_PIXEL(160, 240, 0.3f, 0.3f, 0.3f);
    EXPECT_PIXEL(320, 240, 0.3f, 0.3f, 0.3f);
}

TEST_F(Fx2dFlares, LightInTheCameraPlaneOnlyFades) {
    Vec3 inPlane{1, 1, 0};
    FlareSet* set = addSet(&inPlane, 2, 1, 1, 1, 2);
    set->intensity = 0.5f;
    set->fadeDir = 0;
    demo.DemoClock.frameStep = 0.1f;
    testgl::clearFrame(0.1f, 0.1f, 0.1f);
    drawLensFlares(scene);
    EXPECT_FLOAT_EQ(set->intensity, 0.4f);
    EXPECT_PIXEL(320, 240, 0.1f, 0.1f, 0.1f);
    EXPECT_PIXEL(10, 10, 0.1f, 0.1f, 0.1f);
}

TEST_F(Fx2dFlares, SetWithoutLensesStillFades) {
    Vec3 ahead{0, 0, -1};
    FlareSet* set = addSet(&ahead, 0, 1, 1, 1, 1);
    demo.DemoClock.frameStep = 0.25f;
    testgl::clearFrame(0, 0, 0);
    drawLensFlares(scene);
    EXPECT_FLOAT_EQ(set->intensity, 0.25f);
    EXPECT_PIXEL(320, 240, 0, 0, 0);
}

}  // namespace
