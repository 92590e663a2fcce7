// Particle sprites: the strict depth window, the second update step, a
// system switched off through its count, and gentle play's fade near the eye.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include "fx/particle_sprites.h"
#include "fx3d_support.h"
#include "scene/scene_builder.h"
#include "state/demo_state.h"
#include "state/gentle_mode.h"
#include "support/gl_test_context.h"

namespace {

int updates = 0;
void countUpdate(Particle*, void*) {
    ++updates;
}

class SpritesTest : public fx3d::SceneTest {
protected:
    void SetUp() override {
        SceneTest::SetUp();
        // A camera at the origin looking along +y: camera z = -world y.
        camera.right = Vec3{1, 0, 0};
        camera.down = Vec3{0, 0, -1};
        camera.forward = Vec3{0, 1, 0};
        demo.TextureTable[3].opacity = 1.0f;
        ASSERT_TRUE(takeSceneTables(scene));
        ParticleSystem& s = scene->particleSystems[0];
        s.particles = particles;
        s.count = 1;
        s.update = countUpdate;
        s.texture = &demo.TextureTable[3];
        scene->particleSystemCount = 1;
        updates = 0;
    }
    void TearDown() override {
        scene->particleSystemCount = 0;
        SceneTest::TearDown();
    }
    void placeParticle(int i, float worldY) {
        particles[i].worldPos = Vec3{0, worldY, 0};
        particles[i].size = 0.05f * (worldY > 0 ? worldY : 1.0f);
        particles[i].colour[0] = 0.2f;
        particles[i].colour[1] = 0.4f;
        particles[i].colour[2] = 0.6f;
    }
    SceneCamera camera{};
    Particle particles[4]{};
};

TEST_F(SpritesTest, StrictDepthWindow) {
    REQUIRE_GL();
    testgl::clearFrame(0, 0, 0);
    fx3d::setTestProjection();
    struct Case {
        const char* name;
        float worldY;
        bool drawn;
    };
    const Case cases[] = {
        {"exactly at cullNearZ", 0.1f, false}, {"just in front", 0.2f, true},
        {"exactly at cullFarZ", 1800.0f, false}, {"just before far", 1799.0f, true},
        {"behind the viewer", -5.0f, false},
    };
    for (const Case& c : cases) {
        placeParticle(0, c.worldY);
        updates = 0;
        const auto counts = fx3d::recordFeedback([&] { drawParticleSprites(scene, &camera); });
        EXPECT_EQ(counts.polygons > 0, c.drawn) << c.name;
        EXPECT_EQ(updates, 1) << c.name;  // updated whether drawn or not
        EXPECT_FLOAT_EQ(particles[0].viewPos.z, -c.worldY) << c.name;
    }
}

TEST_F(SpritesTest, CountZeroStopsUpdatesAndDrawingUntilRestored) {
    REQUIRE_GL();
    testgl::clearFrame(0, 0, 0);
    fx3d::setTestProjection();
    placeParticle(0, 10);
    placeParticle(1, 20);
    scene->particleSystems[0].count = 0;
    auto counts = fx3d::recordFeedback([&] { drawParticleSprites(scene, &camera); });
    EXPECT_EQ(counts.polygons, 0);
    EXPECT_EQ(updates, 0);
    EXPECT_TRUE(glIsEnabled(GL_BLEND));  // the system's slot was still bound
    scene->particleSystems[0].count = 2;
    counts = fx3d::recordFeedback([&] { drawParticleSprites(scene, &camera); });
    EXPECT_GT(counts.polygons, 0);
    EXPECT_EQ(updates, 2);
    EXPECT_EQ(scene->particleSystems[0].particles, particles);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(SpritesTest, SquaresFaceTheViewerAndLeaveImmediateModeState) {
    REQUIRE_GL();
    testgl::clearFrame(0, 0, 0);
    fx3d::setTestProjection(1.0);
    demo.TextureTable[3].glTexture = testgl::solidTexture(255, 255, 255);
    placeParticle(0, 10);  // z = -10, half edge 0.5: 5% of the half screen
    drawParticleSprites(scene, &camera);
    const auto centre = testgl::readPixel(320, 240);
    EXPECT_NEAR(centre.r, 51, 2);
    EXPECT_NEAR(centre.b, 153, 2);
    const auto outside = testgl::readPixel(320 + 40, 240);
    EXPECT_EQ(outside.g, 0);
    fx3d::expectNoClientArrays();
    const fx3d::CurrentVertex current = fx3d::currentVertex();
    EXPECT_FLOAT_EQ(current.colour[1], 0.4f);
    EXPECT_FLOAT_EQ(current.tex[0], 0.0f);
    EXPECT_FLOAT_EQ(current.tex[1], 1.0f);
}

TEST_F(SpritesTest, GentlePlayFadesSpritesNearTheEye) {
    REQUIRE_GL();
    demo.TextureTable[3].glTexture = testgl::solidTexture(255, 255, 255);
    struct Case {
        float size;  // at depth 10
        bool gentle;
        int red;     // at the centre; -1: not drawn at all
    };
    const Case cases[] = {{0.5f, true, 51}, {1.0f, true, 51}, {1.5f, true, 26},
                          {2.0f, true, -1}, {2.5f, true, -1}, {2.5f, false, 51}};
    for (const Case& c : cases) {
        testgl::clearFrame(0, 0, 0);
        fx3d::setTestProjection(1.0);
        placeParticle(0, 10);
        particles[0].size = c.size;
        gentleMode.on = c.gentle;
        updates = 0;
        const auto counts = fx3d::recordFeedback([&] { drawParticleSprites(scene, &camera); });
        drawParticleSprites(scene, &camera);
        gentleMode.on = false;
        EXPECT_EQ(counts.polygons > 0, c.red >= 0) << c.size;
        EXPECT_EQ(updates, 2) << c.size;  // stepped whether drawn or not
        EXPECT_NEAR(testgl::readPixel(320, 240).r, c.red < 0 ? 0 : c.red, 2) << c.size;
    }
}

}  // namespace
