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
        ASSERT_TRUE(takeSceneTables(scene));
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

    // Clears the frame to a grey level and draws the flares once.
    void drawOver(float grey) {
        testgl::clearFrame(grey, grey, grey);
        drawLensFlares(scene);
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

    drawOver(0);
    EXPECT_FLOAT_EQ(set->intensity, 0.5f);
    EXPECT_PIXEL(320, 240, 0.2f, 0.1f, 0.4f);  // two lenses at weight 0.5
    EXPECT_PIXEL(320 + 40, 240, 0, 0, 0);      // outside the half size of 0.1

    drawOver(0);
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
    drawOver(0);
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
    drawOver(0.3f);
    EXPECT_PIXEL(160, 240, 0.3f, 0.3f, 0.3f);
    EXPECT_PIXEL(320, 240, 0.3f, 0.3f, 0.3f);
}

// Sets that draw nothing still fade: a light in the camera plane fading out,
// and a set without lenses fading in.
TEST_F(Fx2dFlares, SetsThatDrawNothingStillFade) {
    struct Case {
        const char* what;
        Vec3 source;
        int lensCount;
        float size, intensity;
        int fadeDir;
        float frameStep, grey, intensityAfter;
    };
    const Case cases[] = {
        {"light in the camera plane", {1, 1, 0}, 2, 2, 0.5f, 0, 0.1f, 0.1f, 0.4f},
        {"set without lenses", {0, 0, -1}, 0, 1, 0, 1, 0.25f, 0, 0.25f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        scene->flareSetCount = 0;
        scene->flareSets[0] = FlareSet{};
        Vec3 source = c.source;
        FlareSet* set = addSet(&source, c.lensCount, 1, 1, 1, c.size);
        set->intensity = c.intensity;
        set->fadeDir = c.fadeDir;
        demo.DemoClock.frameStep = c.frameStep;
        drawOver(c.grey);
        EXPECT_FLOAT_EQ(set->intensity, c.intensityAfter);
        EXPECT_PIXEL(320, 240, c.grey, c.grey, c.grey);
        EXPECT_PIXEL(10, 10, c.grey, c.grey, c.grey);
    }
}

}  // namespace
