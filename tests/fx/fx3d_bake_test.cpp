// Baked vertex lighting and the two face edits.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "fx/bake.h"
#include "fx3d_support.h"
#include "scene/scene_builder.h"
#include "state/demo_state.h"

namespace {

// Camera at the origin looking along +y: world (X, Y, Z) is camera space
// (X, 1.34 Z, -Y). The triangle below lies in the plane x = 0 with its
// normal along +x; corner 0 sits at world (0, 10, 0).
const std::vector<Vec3> wallVertices = {{0, 10, 0}, {0, 20, 0}, {0, 10, 1}};

class BakeTest : public fx3d::TablesTest {
protected:
    void SetUp() override {
        TablesTest::SetUp();
        scene = scenebuild::newScene({0, 0, 0}, {0, 10, 0});
    }
    void TearDown() override {
        scenebuild::deleteScene(scene);
        TablesTest::TearDown();
    }
    static void expectColour(const FaceCorner& c, float r, float g, float b, const char* what) {
        EXPECT_NEAR(c.colour[0], r, 1e-5f) << what;
        EXPECT_NEAR(c.colour[1], g, 1e-5f) << what;
        EXPECT_NEAR(c.colour[2], b, 1e-5f) << what;
    }
    Scene* scene = nullptr;
};

TEST_F(BakeTest, PointLightExamples) {
    struct Case {
        const char* name;
        float lightX;
        float r, g, b;  // expected at corner 0
    };
    const Case cases[] = {
        {"facing at 100", 100.0f, 1.0f, 1.0f, 0.2f},
        {"exactly 150 still lit", 150.0f, 1.0f, 1.0f, 0.2f},
        {"beyond 150", 150.5f, 0.2f, 0.2f, 0.2f},
    };
    for (const Case& c : cases) {
        Scene* s = scenebuild::newScene({0, 0, 0}, {0, 10, 0});
        scenebuild::addObject(s, wallVertices, {{0, 1, 2}});
        scenebuild::addLight(s, {c.lightX, 10, 0}, 1.0f, 0.5f, 0.0f);
        bakePointLighting(s);
        expectColour(s->objects[0].faces[0].corners[0], c.r, c.g, c.b, c.name);
        scenebuild::deleteScene(s);
    }
}

TEST_F(BakeTest, SoftLightAt600GivesFourFifthsOfItsColour) {
    scenebuild::addObject(scene, wallVertices, {{0, 1, 2}});
    scenebuild::addLight(scene, {600, 10, 0}, 0.5f, 0.25f, 0.0f);
    bakeSoftLighting(scene);
    expectColour(scene->objects[0].faces[0].corners[0], 0.3f + 0.4f, 0.3f + 0.2f, 0.3f, "600");
}

TEST_F(BakeTest, NoLightsLeaveTheAmbient) {
    scenebuild::addObject(scene, wallVertices, {{0, 1, 2}});
    bakePointLighting(scene);
    expectColour(scene->objects[0].faces[0].corners[1], 0.2f, 0.2f, 0.2f, "point");
    bakeSoftLighting(scene);
    expectColour(scene->objects[0].faces[0].corners[1], 0.3f, 0.3f, 0.3f, "soft");
}

TEST_F(BakeTest, LightOnAVertexAddsNothingThereAndStaysFinite) {
    scenebuild::addObject(scene, wallVertices, {{0, 1, 2}});
    scenebuild::addLight(scene, {0, 10, 0}, 1, 1, 1);  // exactly on corner 0
    for (void (*bake)(Scene*) : {bakePointLighting, bakeSoftLighting}) {
        bake(scene);
        for (const FaceCorner& c : scene->objects[0].faces[0].corners)
            for (float v : c.colour) EXPECT_TRUE(std::isfinite(v));
    }
    // Soft: 0.3 ambient and nothing from the light on the corner itself.
    expectColour(scene->objects[0].faces[0].corners[0], 0.3f, 0.3f, 0.3f, "soft on vertex");
    bakePointLighting(scene);
    expectColour(scene->objects[0].faces[0].corners[0], 0.2f, 0.2f, 0.2f, "point on vertex");
}

TEST_F(BakeTest, LightHiddenAtTimeZeroIsLeftOut) {
    scenebuild::addObject(scene, wallVertices, {{0, 1, 2}});
    const int l = scenebuild::addLight(scene, {100, 10, 0}, 1, 1, 1);
    scene->lights[l].visibility = scenebuild::visibilityTrack({0});
    // Never placed: whatever its view position holds must not count.
    scene->lights[l].viewPosition = Vec3{100, 0, -10};
    bakePointLighting(scene);
    expectColour(scene->objects[0].faces[0].corners[0], 0.2f, 0.2f, 0.2f, "hidden light");
}

TEST_F(BakeTest, ObjectHiddenAtTimeZeroIsLitFromItsTimeZeroPose) {
    scenebuild::addObject(scene, wallVertices, {{0, 1, 2}});
    const int hidden = scenebuild::addObject(scene, wallVertices, {{0, 1, 2}});
    scene->objects[hidden].visibility = scenebuild::visibilityTrack({0});
    scenebuild::addLight(scene, {100, 10, 0}, 1.0f, 0.5f, 0.0f);
    bakePointLighting(scene);
    for (int c = 0; c < 3; ++c)
        for (int k = 0; k < 3; ++k)
            EXPECT_FLOAT_EQ(scene->objects[hidden].faces[0].corners[c].colour[k],
                            scene->objects[0].faces[0].corners[c].colour[k]);
    EXPECT_NE(scene->objects[hidden].visibility.hidden, 0);
}

TEST_F(BakeTest, NormalYLightsTwoLayerObjectsOnly) {
    demo.TextureTable[5].flags = textureFlagTwoLayer;
    // A face looking up (world +z) and one looking down, on the two-layer slot;
    // the same up face on a plain slot.
    const std::vector<Vec3> floor = {{0, 10, 0}, {1, 10, 0}, {0, 11, 0}};
    const int up = scenebuild::addObject(scene, floor, {{0, 1, 2}}, 5);
    const int down = scenebuild::addObject(scene, floor, {{0, 2, 1}}, 5);
    const int plain = scenebuild::addObject(scene, floor, {{0, 1, 2}}, 6);
    scenebuild::addLight(scene, {0, 10, 5}, 1, 1, 1);
    bakeNormalYLighting(scene);
    expectColour(scene->objects[up].faces[0].corners[0], 0.9f, 0.9f, 0.9f, "up");
    expectColour(scene->objects[down].faces[0].corners[1], 0.0f, 0.0f, 0.0f, "down");
    for (const FaceCorner& c : scene->objects[plain].faces[0].corners)
        expectColour(c, 1.0f, 1.0f, 1.0f, "plain slot");
}

TEST_F(BakeTest, FlipTwiceRestoresAndScaleMultiplies) {
    scenebuild::addObject(scene, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}},
                          {{0, 1, 2}, {1, 3, 2}});
    SceneObject* o = &scene->objects[0];
    for (int f = 0; f < 2; ++f)
        for (int c = 0; c < 3; ++c) {
            FaceCorner& k = o->faces[f].corners[c];
            k.uv[0] = float(f * 10 + c);
            k.uv2[1] = float(c) * 0.5f;
            k.colour[1] = 0.1f * float(c + 1);
        }
    Face before[2];
    std::memcpy(before, o->faces, sizeof before);

    flipFaceWinding(o);
    for (int f = 0; f < 2; ++f) {
        EXPECT_EQ(std::memcmp(&o->faces[f].corners[0], &before[f].corners[0], sizeof(FaceCorner)), 0);
        EXPECT_EQ(std::memcmp(&o->faces[f].corners[1], &before[f].corners[2], sizeof(FaceCorner)), 0);
        EXPECT_EQ(std::memcmp(&o->faces[f].corners[2], &before[f].corners[1], sizeof(FaceCorner)), 0);
    }
    flipFaceWinding(o);
    EXPECT_EQ(std::memcmp(o->faces, before, sizeof before), 0);

    scaleFaceColours(o, 0.65f);
    EXPECT_FLOAT_EQ(o->faces[1].corners[2].colour[1], 0.3f * 0.65f);
    EXPECT_FLOAT_EQ(o->faces[1].corners[2].colour[0], 0.65f);
}

}  // namespace
