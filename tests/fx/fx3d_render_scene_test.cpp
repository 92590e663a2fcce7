// renderScene: the binding order of evaluation, hooks, warp and passes, the
// fog it sets and leaves, and the projections each pass is drawn through.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>

#include "fx/particles.h"
#include "fx/render_scene.h"
#include "fx3d_support.h"
#include "scene/scene_builder.h"
#include "state/demo_state.h"
#include "support/gl_test_context.h"
#include "state/demo_memory.h"

namespace {

enum : int { slotSceneOpaque = 20, slotSceneTransparent = 21, slotSceneSprite = 23 };

// What the particle update and the hook saw while renderScene ran.
struct Observed {
    int updates = 0;
    int updatesSeenByHook = -1;
    bool fogDuringSprites = false;
    float projection5DuringSprites = 0;
};
Observed observed;

void recordingUpdate(Particle* p, void*) {
    ++observed.updates;
    p->worldPos = Vec3{-10, 80, 0};
    if (observed.updates == 2) {
        observed.fogDuringSprites = glIsEnabled(GL_FOG);
        GLfloat m[16];
        glGetFloatv(GL_PROJECTION_MATRIX, m);
        observed.projection5DuringSprites = m[5];
    }
}
void recordingInit(Particle* p) {
    p->size = 3;
    p->colour[0] = p->colour[1] = p->colour[2] = 1;
}

// Moves the opaque wall behind the viewer: if it is still seen, the hook ran
// too early or not at all.
void hideWallHook(void* target, void*) {
    observed.updatesSeenByHook = observed.updates;
    SceneObject* o = static_cast<SceneObject*>(target);
    for (int i = 0; i < o->vertexCount; ++i) o->viewVertices[i] = Vec3{0, 0, 0};
}

class RenderSceneTest : public fx3d::TablesTest {
protected:
    void SetUp() override {
        TablesTest::SetUp();
        observed = Observed{};
    }
    void TearDown() override {
        if (scene) {
            for (int i = 0; i < scene->particleSystemCount; ++i)
                giveBackDemoMemory(scene->particleSystems[i].particles);
            scene->particleSystemCount = 0;
            scenebuild::deleteScene(scene);
        }
        TablesTest::TearDown();
    }

    // Camera at the origin looking along +y (world X right, Z up on screen),
    // half vertical angle fov. A red wall fills the view at y = 100; a green
    // additive panel at y = 50, x 25..45; one blue sprite at (-10, 80, 0).
    void build(float fov) {
        scene = scenebuild::newScene({0, 0, 0}, {0, 10, 0}, 0.0f, fov);
        demo.TextureTable[slotSceneOpaque].glTexture = testgl::solidTexture(255, 0, 0);
        demo.TextureTable[slotSceneTransparent].glTexture = testgl::solidTexture(0, 255, 0);
        demo.TextureTable[slotSceneTransparent].opacity = 1.0f;
        demo.TextureTable[slotSceneSprite].glTexture = testgl::solidTexture(0, 0, 255);
        demo.TextureTable[slotSceneSprite].opacity = 1.0f;
        scenebuild::addObject(scene,
                              {{-1000, 100, -1000}, {1000, 100, -1000}, {1000, 100, 1000},
                               {-1000, 100, 1000}},
                              {{0, 1, 2}, {0, 2, 3}}, slotSceneOpaque);
        scenebuild::addObject(scene, {{25, 50, -10}, {45, 50, -10}, {45, 50, 10}, {25, 50, 10}},
                              {{0, 1, 2}, {0, 2, 3}}, slotSceneTransparent);
        // Hidden panel over the wall-only pixel: no pass may draw it.
        const int hidden = scenebuild::addObject(
            scene, {{-5, 50, 15}, {5, 50, 15}, {5, 50, 35}, {-5, 50, 35}}, {{0, 1, 2}, {0, 2, 3}},
            slotSceneTransparent);
        scene->objects[hidden].visibility = scenebuild::visibilityTrack({0});
        addParticleSystem(scene, nullptr, 1, recordingInit, recordingUpdate, slotSceneSprite);
        observed = Observed{};
    }
    static int ndcX(float x) { return int((x + 1.0f) * 320.0f); }
    static int ndcY(float y) { return int((y + 1.0f) * 240.0f); }

    // Renders at time 0 and reads where the tests look: the wall alone, the
    // panel, and the sprite through the camera's projection of build(0.25f)
    // (x = -10 / 80 / tan(0.25)).
    struct Seen {
        testgl::Rgb wall, panel, sprite;
    };
    Seen renderAndLook() {
        renderScene(scene, 0.0f);
        return Seen{testgl::readPixel(ndcX(0), ndcY(0.667f)),
                    testgl::readPixel(ndcX(0.7f), ndcY(0)),
                    testgl::readPixel(ndcX(float(-10.0 / 80.0 / std::tan(0.25))), ndcY(0))};
    }
    // The same at this brightness, over a frame cleared to the grey `background`.
    Seen renderAtBrightness(float brightness, float background) {
        build(0.25f);
        testgl::clearFrame(background, background, background);
        demo.sceneBrightness = brightness;
        return renderAndLook();
    }

    Scene* scene = nullptr;
};

TEST_F(RenderSceneTest, OnlyTheOpaquePassIsDarkenedAndBlendedPassesUseTheScreenProjection) {
    REQUIRE_GL();
    const Seen seen = renderAtBrightness(0.5f, 0);
    // Wall alone, halved.
    EXPECT_NEAR(seen.wall.r, 128, 2);
    EXPECT_EQ(seen.wall.g, 0);
    // The panel at x 25..45, y 50 shows at screen x 0.5..0.9 only through the
    // 90-degree projection the flares leave; through the camera's 28.6 degrees
    // it would be far off screen. It is added after the fade, at full strength.
    EXPECT_NEAR(seen.panel.r, 128, 2);
    EXPECT_NEAR(seen.panel.g, 255, 2);
    // The sprite goes through the camera's projection.
    EXPECT_NEAR(seen.sprite.r, 128, 2);
    EXPECT_NEAR(seen.sprite.b, 255, 2);
    EXPECT_EQ(observed.updates, 2);  // stepped by the evaluation and by the sprites
}

TEST_F(RenderSceneTest, BrightnessZeroSkipsTheOpaquePassAndBlacksTheFrame) {
    REQUIRE_GL();
    const Seen seen = renderAtBrightness(0, 0.5f);
    EXPECT_EQ(seen.wall.r + seen.wall.g + seen.wall.b, 0);
    EXPECT_NEAR(seen.panel.g, 255, 2);
    EXPECT_EQ(seen.panel.r, 0);
    EXPECT_NEAR(seen.sprite.b, 255, 2);
}

TEST_F(RenderSceneTest, HooksRunAfterTheEvaluationAndTheWarpAfterTheHooks) {
    REQUIRE_GL();
    build(0.25f);
    addSceneHook(scene, &scene->objects[0], nullptr, hideWallHook);
    testgl::clearFrame(0, 0, 0);
    demo.sceneWarpEnabled = 1;
    const Seen seen = renderAndLook();
    EXPECT_EQ(observed.updatesSeenByHook, 1);
    // The warp at time 0 lifts the hook's (0, 0, 0) to (0, 350, 0).
    EXPECT_NEAR(scene->objects[0].viewVertices[0].y, 350.0f, 1e-3f);
    EXPECT_NEAR(scene->objects[0].viewVertices[0].z, 0.0f, 1e-3f);
    // Every wall corner sits behind the near limit: nothing of it is drawn.
    EXPECT_EQ(seen.wall.r, 0);
}

TEST_F(RenderSceneTest, FogIsSetForTheDrawingAndOffAfterwards) {
    REQUIRE_GL();
    build(0.5f);
    scene->fogDensity = 0.002f;
    const float colour[4] = {0.1f, 0.2f, 0.3f, 1.0f};
    for (int i = 0; i < 4; ++i) scene->fogColour[i] = colour[i];
    testgl::clearFrame(0, 0, 0);
    renderScene(scene, 0.0f);

    EXPECT_TRUE(observed.fogDuringSprites);
    // Camera fov 0.5: vertical angle 57.3 degrees, so m[5] = 1 / tan(0.5).
    EXPECT_NEAR(observed.projection5DuringSprites, 1.0 / std::tan(0.5), 1e-4);
    EXPECT_FALSE(glIsEnabled(GL_FOG));
    GLint mode = 0;
    glGetIntegerv(GL_FOG_MODE, &mode);
    EXPECT_EQ(mode, GL_EXP);
    GLfloat density = 0, fogColour[4] = {};
    glGetFloatv(GL_FOG_DENSITY, &density);
    glGetFloatv(GL_FOG_COLOR, fogColour);
    EXPECT_FLOAT_EQ(density, 0.002f);
    for (int i = 0; i < 4; ++i) EXPECT_NEAR(fogColour[i], colour[i], 1e-6f);
    // Left in force: the flares' screen projection.
    GLint matrixMode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &matrixMode);
    EXPECT_EQ(matrixMode, GL_PROJECTION);
    GLfloat m[16];
    glGetFloatv(GL_PROJECTION_MATRIX, m);
    EXPECT_NEAR(m[5], 1.0f, 1e-5f);
    EXPECT_NEAR(m[10], -100001.0f / 99999.0f, 1e-5f);

    // Density 0 means no fog, whatever the colour.
    scene->fogDensity = 0.0f;
    observed = Observed{};
    renderScene(scene, 0.0f);
    EXPECT_FALSE(observed.fogDuringSprites);
    EXPECT_FALSE(glIsEnabled(GL_FOG));
}

}  // namespace
