#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <cstring>
#include <string>

#include "scene/evaluate.h"
#include "scene/scene_builder.h"
#include "scene/scene_bytes.h"
#include "scene/scene_file.h"
#include "support/data_folder.h"
#include "support/error_capture.h"

namespace {

using scenebytes::Bytes;

Scene* blankScene() {
    Scene* scene = static_cast<Scene*>(std::malloc(sizeof(Scene)));
    std::memset(scene, 0xA5, sizeof(Scene));  // the bank's memory is not initialised
    return scene;
}

int load(const Bytes& b, Scene* scene, int textureBase = 0) {
    return loadSceneBytes(b.data.data(), long(b.data.size()), "data\\test.dat", scene, textureBase);
}

// The two bytes every record starts with.
template <typename Node>
void expectHeader(const Node& node, int kind, int parentIndex) {
    EXPECT_EQ(node.kind, kind);
    EXPECT_EQ(node.parentIndex, parentIndex);
}

// One object: 3 vertices, 1 face, one key per sampled track, no visibility keys.
void object223(Bytes& b, unsigned material) {
    size_t start = b.data.size();
    b.u8(7).u8(0).i32(0x12345678).i32(3);
    b.vec({0, 0, 0}).vec({2, 0, 0}).vec({0, 2, 0});
    b.i32(1).u8(material);
    b.i32(0).f32(0.1f).f32(0.2f).i32(1).f32(0.3f).f32(0.4f).i32(2).f32(0.5f).f32(0.6f);
    b.positionBlock({PositionKey{{0, 0, 0}, 0, {5, 0, 0}, {0, 0, 0}}});
    b.rotationBlock({RotationKey{{1, 0, 0, 0}, 0, {1, 0, 0, 0}, {1, 0, 0, 0}}});
    b.positionBlock({PositionKey{{0, 0, 0}, 0, {1, 1, 1}, {0, 0, 0}}});
    b.visibilityBlock({});
    ASSERT_EQ(b.data.size() - start, 223u);
}

// A whole file: the camera at `eye`, that one object, no lights and no spots.
Bytes oneObjectFile(Vec3 eye, unsigned material) {
    Bytes b;
    scenebytes::camera(b, eye, {0, 10, 0});
    b.u8(1);
    object223(b, material);
    b.u8(0).u8(0);
    return b;
}

TEST(SceneLoader, CameraOnlyFileOf122Bytes) {
    Bytes b;
    b.u8(3).u8(9);
    b.positionBlock({PositionKey{{1, 2, 3}, 4, {5, 6, 7}, {8, 9, 10}}});
    b.scalarBlock({ScalarKey{11, 12, 0.25f, 14}});
    b.scalarBlock({ScalarKey{0, 0, 0.5f, 0}});
    b.positionBlock({PositionKey{{0, 0, 0}, 0, {5, 16, 7}, {0, 0, 0}}});
    b.visibilityBlock({});
    b.u8(0).u8(0).u8(0);
    ASSERT_EQ(b.data.size(), 122u);

    Scene* scene = blankScene();
    ASSERT_EQ(load(b, scene), 1);
    scenebytes::expectNoTables(scene);
    EXPECT_EQ(scene->fogDensity, 0.0f);
    EXPECT_EQ(scene->fogColour[3], 0.0f);

    const SceneCamera* c = scene->camera;
    expectHeader(*c, 3, 9);
    const PositionKey& k = c->positionTrack.keys[0];
    EXPECT_EQ(k.inTangent.z, 3.0f);
    EXPECT_EQ(k.time, 4);
    EXPECT_EQ(k.value.x, 5.0f);
    EXPECT_EQ(k.outTangent.z, 10.0f);
    EXPECT_EQ(c->rollTrack.keys[0].inTangent, 11.0f);
    EXPECT_EQ(c->rollTrack.keys[0].time, 12);
    EXPECT_EQ(c->rollTrack.keys[0].outTangent, 14.0f);
    EXPECT_EQ(c->visibility.keyCount, 0);

    // Evaluation poses the camera alone.
    evaluateScene(scene, 0.0f);
    EXPECT_EQ(scene->camera->position.y, 6.0f);
    EXPECT_EQ(scene->camera->target.y, 16.0f);
    EXPECT_EQ(scene->camera->roll, 0.25f);
    EXPECT_EQ(scene->camera->fov, 0.5f);
    EXPECT_NEAR(scene->camera->forward.y, 1.0f, 1e-6f);
    scenebuild::deleteScene(scene);
}

TEST(SceneLoader, ObjectRecordOf223Bytes) {
    Scene* scene = blankScene();
    ASSERT_EQ(load(oneObjectFile({0, 0, 0}, 3), scene, 25), 1);
    ASSERT_EQ(scene->objectCount, 1);
    const SceneObject& o = scene->objects[0];
    expectHeader(o, 7, 0);
    EXPECT_EQ(o.textureIndex, 28);
    EXPECT_EQ(o.vertexCount, 3);
    EXPECT_EQ(o.faceCount, 1);
    EXPECT_EQ(o.baseVertices[1].x, 2.0f);
    EXPECT_EQ(o.baseVertices[2].y, 2.0f);
    for (int c = 0; c < 3; ++c) {
        const FaceCorner& corner = o.faces[0].corners[c];
        EXPECT_EQ(corner.vertexIndex, c);
        EXPECT_FLOAT_EQ(corner.uv[0], 0.1f + 0.2f * c);
        EXPECT_FLOAT_EQ(corner.uv[1], 0.2f + 0.2f * c);
        EXPECT_EQ(corner.colour[0], 1.0f);
        EXPECT_EQ(corner.colour[2], 1.0f);
        EXPECT_EQ(o.normalScale[c], 0.0f);
        // Base normals: counter-clockwise in the xy plane, z negated.
        EXPECT_EQ(o.normals[c].x, 0.0f);
        EXPECT_EQ(o.normals[c].z, -1.0f);
    }
    EXPECT_EQ(o.positionTrack.keys[0].value.x, 5.0f);
    EXPECT_EQ(o.rotationTrack.keyCount, 1);
    EXPECT_EQ(o.scaleTrack.keys[0].value.y, 1.0f);
    EXPECT_EQ(o.visibility.hidden, 0);

    evaluateScene(scene, 0.0f);
    EXPECT_FLOAT_EQ(scene->objects[0].viewVertices[1].x, 7.0f);
    EXPECT_FLOAT_EQ(scene->objects[0].viewVertices[1].z, -0.0f);
    scenebuild::deleteScene(scene);
}

TEST(SceneLoader, LightsAndSpotsAndTrailingBytes) {
    Bytes b;
    scenebytes::camera(b, {0, 0, 0}, {0, 10, 0});
    b.u8(0);
    b.u8(1);  // one light
    b.u8(0).u8(4).u8(255).u8(128).u8(0);
    b.positionBlock({PositionKey{{0, 0, 0}, 0, {0, 10, 1}, {0, 0, 0}}});
    b.visibilityBlock({30, 60});
    b.u8(1);  // one spot
    b.u8(2).u8(3).u8(255).u8(128).u8(0);
    b.positionBlock({}).scalarBlock({ScalarKey{0, 0, 7, 0}}).scalarBlock({});
    b.positionBlock({}).visibilityBlock({5});
    b.u8(77).u8(1).u8(2);  // after the last spot: ignored

    Scene* scene = blankScene();
    ASSERT_EQ(load(b, scene), 1);
    ASSERT_EQ(scene->lightCount, 1);
    const SceneLight& l = scene->lights[0];
    expectHeader(l, 0, 4);
    EXPECT_EQ((std::array{l.red, l.green, l.blue}), (std::array{0.99609375f, 0.5f, 0.0f}));
    EXPECT_EQ(l.worldPosition.y, 0.0f);
    EXPECT_EQ(l.visibility.times[1], 60);

    ASSERT_EQ(scene->spotCount, 1);
    const SceneSpot& s = scene->spots[0];
    expectHeader(s, 2, 3);
    EXPECT_EQ(std::to_array(s.colour), (std::array{255.0f, 128.0f, 0.0f}));
    EXPECT_EQ(s.valueTrackA.keys[0].value, 7.0f);
    EXPECT_EQ(s.valueTrackB.keyCount, 0);
    EXPECT_EQ(s.visibility.times[0], 5);

    evaluateScene(scene, 0.0f);
    EXPECT_FLOAT_EQ(scene->lights[0].viewPosition.y, 1.34f);
    EXPECT_FLOAT_EQ(scene->lights[0].viewPosition.z, -10.0f);
    scenebuild::deleteScene(scene);
}

class SceneFiles : public ::testing::Test {
protected:
    ScratchDataFolder folder{"scene-test"};
};

TEST_F(SceneFiles, LoadsByItsDataName) {
    folder.write("light.dat", oneObjectFile({1, 2, 3}, 0).data);
    Scene* scene = blankScene();
    ErrorCapture errors;
    ASSERT_EQ(loadSceneFile("data\\light.dat", scene, 10), 1);
    EXPECT_TRUE(errors.texts.empty());
    EXPECT_EQ(scene->objects[0].textureIndex, 10);
    EXPECT_EQ(scene->camera->positionTrack.keys[0].value.z, 3.0f);
    scenebuild::deleteScene(scene);
}

TEST_F(SceneFiles, MissingFileReportsOnceAndLeavesAnEmptyScene) {
    Scene* scene = blankScene();
    ErrorCapture errors;
    EXPECT_EQ(loadSceneFile("data\\nothere.dat", scene, 10), 0);
    ASSERT_EQ(errors.texts.size(), 1u);
    EXPECT_EQ(errors.texts[0], "mesh-file not found");
    EXPECT_EQ(scene->camera, nullptr);
    scenebytes::expectNoTables(scene);
    std::free(scene);
}

TEST(SceneModel, FindSceneObjectByMaterial) {
    Scene* scene = scenebuild::newScene();
    scenebuild::addObject(scene, {{0, 0, 0}}, {}, 40);
    scenebuild::addObject(scene, {{0, 0, 0}}, {}, 71);
    scenebuild::addObject(scene, {{0, 0, 0}}, {}, 40);
    EXPECT_EQ(findSceneObject(scene, 40), &scene->objects[0]);
    EXPECT_EQ(findSceneObject(scene, 71), &scene->objects[1]);
    EXPECT_EQ(findSceneObject(scene, 5), nullptr);
    scenebuild::deleteScene(scene);
}

}  // namespace
