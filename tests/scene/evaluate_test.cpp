#include "scene/evaluate.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "scene/particle_views.h"
#include "scene/scene_builder.h"
#include "scene/texture_slot.h"
#include "state/demo_state.h"

namespace {

using namespace scenebuild;

const float h = 0.70710677f;
const Quat quarterTurn = {h, 0, 0, h};  // about z

void expectVecNear(const Vec3& v, float x, float y, float z, float tol = 1e-5f) {
    EXPECT_NEAR(v.x, x, tol);
    EXPECT_NEAR(v.y, y, tol);
    EXPECT_NEAR(v.z, z, tol);
}

float length(const Vec3& v) { return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z); }
float dot(const Vec3& a, const Vec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

// With the default camera (at the origin, looking along +y) a world point
// (x, y, z) is at (x, 1.34 z, -y) in camera space.
void expectViewOfWorld(const Vec3& view, float x, float y, float z) {
    expectVecNear(view, x, 1.34f * z, -y);
}

class Evaluation : public ::testing::Test {
protected:
    void SetUp() override {
        table.assign(textureTableSize, TextureSlot{});
        demo.TextureTable = table.data();
        scene = newScene();
        ASSERT_TRUE(takeSceneTables(scene));
    }
    void TearDown() override {
        deleteScene(scene);
        demo.TextureTable = nullptr;
    }
    std::vector<TextureSlot> table;
    Scene* scene = nullptr;
};

TEST(CameraBasis, LevelCameraAndRoll) {
    SceneCamera camera = {};
    camera.target = {0, 10, 0};
    buildCameraBasis(&camera);
    expectVecNear(camera.right, 1, 0, 0);
    expectVecNear(camera.down, 0, 0, -1.34f);
    expectVecNear(camera.forward, 0, 1, 0);

    Vec3 copy, out;
    const Vec3 ahead = {0, 10, 0}, above = {0, 10, 1};
    toCameraSpace(&copy, &out, &ahead, &camera);
    expectVecNear(out, 0, 0, -10);
    toCameraSpace(&copy, &out, &above, &camera);
    expectVecNear(out, 0, 1.34f, -10);
    expectVecNear(copy, 0, 10, 1, 0);

    camera.roll = float(M_PI / 2);
    buildCameraBasis(&camera);
    expectVecNear(camera.right, 0, 0, -1);
    expectVecNear(camera.down, -1.34f, 0, 0);
    expectVecNear(camera.forward, 0, 1, 0);
}

TEST(CameraBasis, DegenerateViewsStayFinite) {
    struct Case {
        Vec3 position, target;
    } cases[] = {{{0, 0, 0}, {0, 0, 5}}, {{1, 2, 3}, {1, 2, -7}}, {{4, 4, 4}, {4, 4, 4}}};
    for (const Case& c : cases) {
        SceneCamera camera = {};
        camera.position = c.position;
        camera.target = c.target;
        camera.roll = 0.3f;
        buildCameraBasis(&camera);
        EXPECT_NEAR(length(camera.right), 1.0f, 1e-5f);
        EXPECT_NEAR(length(camera.down), 1.34f, 1e-5f);
        EXPECT_NEAR(length(camera.forward), 1.0f, 1e-5f);
        EXPECT_NEAR(dot(camera.right, camera.down), 0.0f, 1e-5f);
        EXPECT_NEAR(dot(camera.right, camera.forward), 0.0f, 1e-5f);
        EXPECT_NEAR(dot(camera.down, camera.forward), 0.0f, 1e-5f);
    }
}

TEST_F(Evaluation, ObjectPoses) {
    struct Case {
        Vec3 position;
        Quat rotation;
        Vec3 scale, vertex, world;
    } cases[] = {
        {{5, 0, 0}, {1, 0, 0, 0}, {1, 1, 1}, {1, 2, 3}, {6, 2, 3}},
        {{0, 0, 0}, quarterTurn, {1, 1, 1}, {1, 0, 0}, {0, -1, 0}},
        {{0, 0, 0}, {1, 0, 0, 0}, {2, 1, 1}, {1, 1, 1}, {2, 1, 1}},
        {{0, 20, 0}, quarterTurn, {1, 3, 1}, {0, 1, 0}, {3, 20, 0}},
    };
    for (const Case& c : cases)
        addObject(scene, {c.vertex}, {}, 0, c.position, c.rotation, c.scale);
    evaluateScene(scene, 0.0f);
    for (int i = 0; i < scene->objectCount; ++i) {
        const Vec3& w = cases[i].world;
        EXPECT_EQ(scene->objects[i].posed, 1);
        expectViewOfWorld(scene->objects[i].viewVertices[0], w.x, w.y, w.z);
    }
    const float turned[9] = {0, 1, 0, -1, 0, 0, 0, 0, 1};
    for (int k = 0; k < 9; ++k) EXPECT_NEAR(scene->objects[1].matrix.m[k], turned[k], 1e-6f);
}

TEST_F(Evaluation, ChildBelowATurnedParent) {
    int parent = addObject(scene, {{0, 0, 0}}, {}, 0, {10, 0, 0}, quarterTurn);
    int child = addObject(scene, {{0, 0, 0}}, {}, 0, {1, 0, 0});
    setParent(scene, child, parent);
    evaluateScene(scene, 0.0f);
    expectVecNear(scene->objects[child].position, 10, -1, 0);
    for (int k = 0; k < 9; ++k)
        EXPECT_NEAR(scene->objects[child].matrix.m[k], scene->objects[parent].matrix.m[k], 1e-6f);
    expectViewOfWorld(scene->objects[child].viewVertices[0], 10, -1, 0);
}

// Three levels, each turned a quarter about z and offset by 1 along its parent's x.
TEST_F(Evaluation, ParentingFollowsListOrder) {
    // In order: root, middle, leaf. The leaf gets the full chain.
    int root = addObject(scene, {{0, 0, 0}}, {}, 0, {10, 0, 0}, quarterTurn);
    int middle = addObject(scene, {{0, 0, 0}}, {}, 0, {1, 0, 0}, quarterTurn);
    int leaf = addObject(scene, {{0, 0, 0}}, {}, 0, {1, 0, 0});
    setParent(scene, middle, root);
    setParent(scene, leaf, middle);
    evaluateScene(scene, 0.0f);
    expectViewOfWorld(scene->objects[leaf].viewVertices[0], 9, -1, 0);

    // Leaf first: its parent has only its local pose when the leaf is attached.
    Scene* reversed = newScene();
    leaf = addObject(reversed, {{0, 0, 0}}, {}, 0, {1, 0, 0});
    root = addObject(reversed, {{0, 0, 0}}, {}, 0, {10, 0, 0}, quarterTurn);
    middle = addObject(reversed, {{0, 0, 0}}, {}, 0, {1, 0, 0}, quarterTurn);
    setParent(reversed, leaf, middle);
    setParent(reversed, middle, root);
    evaluateScene(reversed, 0.0f);
    expectViewOfWorld(reversed->objects[leaf].viewVertices[0], 1, -1, 0);
    expectViewOfWorld(reversed->objects[middle].viewVertices[0], 10, -1, 0);
    deleteScene(reversed);
}

TEST_F(Evaluation, HiddenParentStillCarriesItsChild) {
    int parent = addObject(scene, {{0, 0, 0}}, {}, 0, {0, 30, 0});
    int child = addObject(scene, {{0, 0, 0}}, {}, 0, {0, 0, 2});
    setParent(scene, child, parent);
    scene->objects[parent].visibility = visibilityTrack({0});
    evaluateScene(scene, 1.0f);
    EXPECT_EQ(scene->objects[parent].visibility.hidden, 1);
    expectViewOfWorld(scene->objects[child].viewVertices[0], 0, 30, 2);
}

TEST_F(Evaluation, HiddenObjectKeepsItsLastData) {
    table[5].flags = textureFlagEnvMap;
    int o = addObject(scene, {{0, 10, 0}, {1, 10, 0}, {0, 10, 1}}, {{0, 1, 2}}, 5);
    SceneObject* object = &scene->objects[o];
    std::free(object->positionTrack.keys);
    object->positionTrack = positionTrack(
        {positionKey(0, {0, 0, 0}, {}, {8, 0, 0}), positionKey(40, {8, 0, 0}, {8, 0, 0})});
    object->visibility = visibilityTrack({10, 20});

    evaluateScene(scene, 5.0f);
    std::vector<Vec3> view(object->viewVertices, object->viewVertices + 3);
    std::vector<Vec3> normals(object->normals, object->normals + 3);
    float u = object->faces[0].corners[1].uv[0];
    EXPECT_NEAR(view[0].x, 1.0f, 1e-5f);

    evaluateScene(scene, 15.0f);  // hidden: nothing of it changes
    EXPECT_EQ(object->visibility.hidden, 1);
    EXPECT_EQ(object->visibility.cursor, 1);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(std::memcmp(&object->viewVertices[i], &view[i], sizeof(Vec3)), 0);
        EXPECT_EQ(std::memcmp(&object->normals[i], &normals[i], sizeof(Vec3)), 0);
    }
    EXPECT_EQ(object->faces[0].corners[1].uv[0], u);

    evaluateScene(scene, 25.0f);  // shown again, at its new place
    EXPECT_EQ(object->visibility.hidden, 0);
    EXPECT_EQ(object->visibility.cursor, 2);
    EXPECT_NEAR(object->viewVertices[0].x, 5.0f, 1e-4f);
}

TEST_F(Evaluation, EnvironmentMapCoordinatesFollowNormals) {
    table[7].flags = textureFlagEnvMap;
    // A triangle wound to face the camera: its camera-frame normal points at the viewer.
    int o = addObject(scene, {{0, 10, 0}, {0, 10, 1}, {1, 10, 0}}, {{0, 2, 1}}, 7);
    evaluateScene(scene, 0.0f);
    const SceneObject& object = scene->objects[o];
    for (int i = 0; i < 3; ++i) {
        expectVecNear(object.normals[i], 0, 0, -1);
        EXPECT_FLOAT_EQ(object.faces[0].corners[i].uv[0], 0.5f);
        EXPECT_FLOAT_EQ(object.faces[0].corners[i].uv[1], 0.5f);
    }

    SceneObject& edit = scene->objects[o];
    edit.normals[edit.faces[0].corners[1].vertexIndex] = {1, 0, 0};
    edit.normals[edit.faces[0].corners[2].vertexIndex] = {0.6f, -0.8f, 0};
    computeEnvMapCoords(&edit);
    EXPECT_FLOAT_EQ(edit.faces[0].corners[1].uv[0], 1.0f);
    EXPECT_FLOAT_EQ(edit.faces[0].corners[1].uv[1], 0.5f);
    EXPECT_FLOAT_EQ(edit.faces[0].corners[2].uv[0], 0.8f);
    EXPECT_FLOAT_EQ(edit.faces[0].corners[2].uv[1], 0.1f);
}

TEST_F(Evaluation, PlainSlotsKeepTheFileCoordinates) {
    int o = addObject(scene, {{0, 10, 0}, {0, 10, 1}, {1, 10, 0}}, {{0, 1, 2}}, 3);
    scene->objects[o].faces[0].corners[0].uv[0] = 0.25f;
    evaluateScene(scene, 0.0f);
    EXPECT_EQ(scene->objects[o].faces[0].corners[0].uv[0], 0.25f);
    EXPECT_EQ(scene->objects[o].normalScale[0], 0.0f);  // normals not refreshed
    demo.TextureTable = nullptr;  // no table yet: every slot counts as plain
    evaluateScene(scene, 0.0f);
    EXPECT_EQ(scene->objects[o].faces[0].corners[0].uv[0], 0.25f);
}

TEST_F(Evaluation, NormalScaleIsCachedAfterTheFirstCall) {
    int o = addObject(scene, {{0, 0, 0}, {2, 0, 0}, {0, 2, 0}}, {{0, 1, 2}});
    SceneObject* object = &scene->objects[o];
    for (int i = 0; i < 3; ++i) object->viewVertices[i] = object->baseVertices[i];
    computeVertexNormals(object);
    expectVecNear(object->normals[0], 0, 0, -1);
    EXPECT_FLOAT_EQ(object->normalScale[0], 0.25f);  // 1 / |(2,0,0) x (0,2,0)|

    for (int i = 0; i < 3; ++i) object->viewVertices[i].x *= 3.0f;
    computeVertexNormals(object);  // the old scale is reused: no longer unit
    expectVecNear(object->normals[0], 0, 0, -3);
}

TEST_F(Evaluation, DegenerateFacesLeaveFiniteZeroNormals) {
    // Vertex 3 is used only by a collapsed triangle, vertex 4 by none.
    int o = addObject(scene, {{0, 10, 0}, {1, 10, 0}, {0, 10, 1}, {2, 10, 0}, {5, 5, 5}},
                      {{0, 1, 2}, {0, 1, 3}}, 9);
    table[9].flags = textureFlagEnvMap;
    const SceneObject& object = scene->objects[o];
    for (int i = 3; i < 5; ++i) expectVecNear(object.normals[i], 0, 0, 0, 0);  // base normals
    for (int pass = 0; pass < 2; ++pass) {
        evaluateScene(scene, float(pass));
        for (int i = 3; i < 5; ++i) {
            EXPECT_EQ(object.normalScale[i], 0.0f);
            expectVecNear(object.normals[i], 0, 0, 0, 0);
        }
        EXPECT_FLOAT_EQ(object.faces[1].corners[2].uv[0], 0.5f);
        EXPECT_TRUE(std::isfinite(object.normals[0].y));
        EXPECT_NEAR(length(object.normals[0]), 1.0f, 1e-5f);
    }
}

TEST_F(Evaluation, TwoLayerCoordinatesScroll) {
    table[61].flags = textureFlagTwoLayer;
    table[61].texScale2 = 0.5f;
    int o = addObject(scene, {{2, 4, 0}, {6, -2, 1}, {0, 0, 3}}, {{0, 1, 2}}, 61);
    evaluateScene(scene, 0.0f);
    const FaceCorner* c = scene->objects[o].faces[0].corners;
    EXPECT_EQ(c[0].uv2[0], 1.0f);
    EXPECT_EQ(c[0].uv2[1], 2.0f);
    EXPECT_EQ(c[1].uv2[1], -1.0f);
    evaluateScene(scene, 200.0f);
    EXPECT_FLOAT_EQ(c[0].uv2[0], 0.0f);
    EXPECT_FLOAT_EQ(c[1].uv2[0], 2.0f);
    EXPECT_FLOAT_EQ(c[2].uv2[1], -1.0f);
}

TEST_F(Evaluation, LightsFreezeWhileHidden) {
    int moving = addLight(scene, {0, 10, 1});
    std::free(scene->lights[moving].positionTrack.keys);
    scene->lights[moving].positionTrack =
        positionTrack({positionKey(0, {0, 10, 0}), positionKey(100, {0, 20, 0})});
    scene->lights[moving].visibility = visibilityTrack({50});
    int late = addLight(scene, {3, 3, 3});
    scene->lights[late].visibility = visibilityTrack({0, 60});

    evaluateScene(scene, 0.0f);
    expectVecNear(scene->lights[moving].viewPosition, 0, 0, -10);
    expectVecNear(scene->lights[moving].worldPosition, 0, 10, 0);
    expectVecNear(scene->lights[late].worldPosition, 0, 0, 0, 0);  // hidden from the start

    evaluateScene(scene, 75.0f);
    expectVecNear(scene->lights[moving].viewPosition, 0, 0, -10);  // frozen
    expectViewOfWorld(scene->lights[late].viewPosition, 3, 3, 3);
}

struct StepCounter {
    int calls;
};

void stepParticle(Particle* p, void* userData) {
    static_cast<StepCounter*>(userData)->calls++;
    p->worldPos.y += 1.0f;
}

TEST_F(Evaluation, EveryEvaluationStepsEveryParticleOnce) {
    Particle particles[3] = {};
    for (Particle& p : particles) p.worldPos = {0, 10, 0};
    StepCounter counter = {0};
    scene->particleSystems[0] =
        ParticleSystem{particles, 3, nullptr, stepParticle, &counter, nullptr};
    scene->particleSystems[1] =
        ParticleSystem{particles, 3, nullptr, stepParticle, &counter, nullptr};
    scene->particleSystemCount = 1;  // entries beyond the count are not run
    evaluateScene(scene, 0.0f);
    evaluateScene(scene, 0.0f);
    EXPECT_EQ(counter.calls, 6);
    for (const Particle& p : particles) expectViewOfWorld(p.viewPos, 0, 12, 0);
}

// Frames played unseen step the particles and leave where they stand in
// camera space to be worked out once vertices are evaluated again: the same
// bytes the frames drawn leave, under a moving camera, for the particles the
// last frame stepped and for those a lowered count left behind earlier.
TEST_F(Evaluation, FramesPlayedUnseenLeaveTheParticlesAsDrawnFramesDo) {
    std::free(scene->camera->positionTrack.keys);
    scene->camera->positionTrack =
        positionTrack({positionKey(0, {0, 0, 0}), positionKey(100, {50, -5, 20})});
    StepCounter counter = {0};
    auto play = [&](Particle* particles, bool unseen) {
        for (int k = 0; k < 4; ++k) particles[k].worldPos = {float(k), 10, 0};
        scene->particleSystems[0] =
            ParticleSystem{particles, 4, nullptr, stepParticle, &counter, nullptr};
        scene->particleSystemCount = 1;
        evaluateVertices(!unseen);
        evaluateScene(scene, 10.0f);
        scene->particleSystems[0].count = 2;  // two switched off
        evaluateScene(scene, 40.0f);
        evaluateScene(scene, 70.0f);
        evaluateVertices(true);
    };
    Particle drawn[4] = {}, unseen[4] = {};
    play(drawn, false);
    play(unseen, true);
    EXPECT_EQ(std::memcmp(drawn, unseen, sizeof drawn), 0);
    EXPECT_EQ(counter.calls, 16);
    // Left behind at the first frame's camera, not the last one's.
    EXPECT_NE(std::memcmp(&unseen[3].viewPos, &unseen[1].viewPos, sizeof(Vec3)), 0);
    Vec3 copy, atFirst;
    const Vec3 where = {3, 11, 0};
    sampleCamera(scene->camera, 10.0f);
    buildCameraBasis(scene->camera);
    toCameraSpace(&copy, &atFirst, &where, scene->camera);
    EXPECT_EQ(std::memcmp(&unseen[3].viewPos, &atFirst, sizeof(Vec3)), 0);

    // State put back from a moment kept replaces what frames before it noted.
    Particle dropped[4] = {};
    play(dropped, true);  // settles on the way out; note once more, then forget
    evaluateVertices(false);
    const Particle before = dropped[0];
    evaluateScene(scene, 90.0f);
    forgetParticleViews();
    evaluateVertices(true);
    EXPECT_EQ(std::memcmp(&dropped[0].viewPos, &before.viewPos, sizeof(Vec3)), 0);
}

}  // namespace
