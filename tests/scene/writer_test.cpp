#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "scene/scene_builder.h"
#include "scene/scene_file.h"
#include "support/error_capture.h"

namespace {

using namespace scenebuild;

Scene* richScene() {
    Scene* scene = newScene({1, -20, 3}, {0, 0, 2}, 0.1f, 0.6f);
    SceneCamera* c = scene->camera;
    std::free(c->rollTrack.keys);
    c->rollTrack = scalarTrack({scalarKey(0, 0.1f, 1, 2), scalarKey(40, -0.3f, 3, 4)});
    std::free(c->visibility.times);
    c->visibility = visibilityTrack({7, 9});
    c->kind = 5;
    c->parentIndex = 200;

    int a = addObject(scene, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}},
                      {{0, 1, 2}, {0, 2, 3}, {1, 3, 2}}, 33, {1, 2, 3},
                      {0.70710677f, 0, 0, 0.70710677f}, {2, 1, 1});
    int b = addObject(scene, {{5, 5, 5}, {6, 5, 5}, {5, 6, 5}}, {{2, 1, 0}}, 31);
    setParent(scene, b, a);
    SceneObject& o = scene->objects[a];
    o.faces[1].corners[2].uv[0] = 0.75f;
    o.faces[1].corners[2].uv[1] = -2.5f;
    std::free(o.positionTrack.keys);
    o.positionTrack = positionTrack(
        {positionKey(-5, {1, 2, 3}, {4, 5, 6}, {7, 8, 9}), positionKey(60, {0, 0, 1})});
    std::free(o.rotationTrack.keys);
    o.rotationTrack =
        rotationTrack({RotationKey{{0.5f, 0.5f, 0.5f, 0.5f}, 3, {1, 0, 0, 0}, {0, 1, 0, 0}},
                       rotationKey(20, {0, 0, 0, 1})});
    o.visibility = visibilityTrack({10, 20, 30});

    int l = addLight(scene, {0, 0, 9}, 255 / 256.0f, 0.5f, 0.0f);
    scene->lights[l].visibility = visibilityTrack({4});
    addSpot(scene, {1, 1, 1}, {2, 2, 2}, 255, 128, 0);
    scene->spots[0].valueTrackA = scalarTrack(3.5f);
    return scene;
}

std::vector<unsigned char> encode(const Scene* scene, int base) {
    long size = encodeSceneBytes(scene, base, "test", nullptr, 0);
    std::vector<unsigned char> bytes(size_t(size > 0 ? size : 0));
    EXPECT_EQ(encodeSceneBytes(scene, base, "test", bytes.data(), size), size);
    return bytes;
}

template <typename T>
void expectSameBytes(const T& a, const T& b, const char* what) {
    EXPECT_EQ(std::memcmp(&a, &b, sizeof(T)), 0) << what;
}

TEST(SceneWriter, RoundTripGivesTheSameRecords) {
    Scene* original = richScene();
    std::vector<unsigned char> bytes = encode(original, 30);
    ASSERT_FALSE(bytes.empty());

    Scene loaded;
    ASSERT_EQ(loadSceneBytes(bytes.data(), long(bytes.size()), "copy", &loaded, 30), 1);
    ASSERT_EQ(loaded.objectCount, 2);
    ASSERT_EQ(loaded.lightCount, 1);
    ASSERT_EQ(loaded.spotCount, 1);
    EXPECT_EQ(loaded.camera->parentIndex, 200);
    expectSameBytes(loaded.camera->rollTrack.keys[1], original->camera->rollTrack.keys[1],
                    "camera roll key");
    for (int i = 0; i < 2; ++i) {
        const SceneObject& x = original->objects[i];
        const SceneObject& y = loaded.objects[i];
        EXPECT_EQ(y.kind, x.kind);
        EXPECT_EQ(y.parentIndex, x.parentIndex);
        EXPECT_EQ(y.textureIndex, x.textureIndex);
        ASSERT_EQ(y.vertexCount, x.vertexCount);
        for (int v = 0; v < x.vertexCount; ++v)
            expectSameBytes(y.normals[v], x.normals[v], "base normal");
    }
    const FaceCorner& corner = loaded.objects[0].faces[1].corners[2];
    EXPECT_EQ(corner.uv[1], -2.5f);
    EXPECT_EQ(corner.colour[1], 1.0f);
    expectSameBytes(loaded.objects[0].positionTrack.keys[0],
                    original->objects[0].positionTrack.keys[0], "position key");
    expectSameBytes(loaded.objects[0].rotationTrack.keys[0],
                    original->objects[0].rotationTrack.keys[0], "rotation key");
    EXPECT_EQ(loaded.objects[0].visibility.times[2], 30);
    EXPECT_EQ(loaded.lights[0].red, 0.99609375f);
    EXPECT_EQ(loaded.lights[0].green, 0.5f);
    EXPECT_EQ(loaded.lights[0].blue, 0.0f);
    EXPECT_EQ(loaded.spots[0].colour[1], 128.0f);

    // Writing what was read gives the same bytes again.
    EXPECT_EQ(encode(&loaded, 30), bytes);
    releaseSceneContents(&loaded);
    deleteScene(original);
}

TEST(SceneWriter, SavesAFileTheLoaderReads) {
    Scene* original = richScene();
    std::string path = "/tmp/scene-writer-" + std::to_string(getpid()) + ".dat";
    ErrorCapture errors;
    ASSERT_EQ(saveSceneFile(path.c_str(), original, 30), 1);
    Scene loaded;
    ASSERT_EQ(loadSceneFile(path.c_str(), &loaded, 30), 1);
    EXPECT_TRUE(errors.texts.empty());
    EXPECT_EQ(encode(&loaded, 30), encode(original, 30));
    std::remove(path.c_str());
    releaseSceneContents(&loaded);
    deleteScene(original);
}

TEST(SceneWriter, RefusesWhatTheFormatCannotHold) {
    Scene* scene = richScene();
    ErrorCapture errors;
    EXPECT_GT(encodeSceneBytes(scene, 0, "data\\out.dat", nullptr, 0), 0);  // materials 33, 31 fit
    EXPECT_TRUE(errors.texts.empty());
    errors.texts.clear();

    EXPECT_EQ(saveSceneFile("/tmp/never-written.dat", scene, 32), 0);  // 31 - 32 < 0
    ASSERT_EQ(errors.texts.size(), 1u);
    EXPECT_EQ(errors.texts[0].rfind("/tmp/never-written.dat: object 1 texture 31", 0), 0u)
        << errors.texts[0];

    errors.texts.clear();
    scene->objects[0].faces[0].corners[1].vertexIndex = 4;
    EXPECT_EQ(encodeSceneBytes(scene, 30, "data\\out.dat", nullptr, 0), 0);
    EXPECT_TRUE(errors.contains("object 0 face 0 uses vertex 4 of 4"));

    errors.texts.clear();
    scene->objects[0].faces[0].corners[1].vertexIndex = 1;
    EXPECT_EQ(saveSceneFile("/nonexistent-dir/x.dat", scene, 30), 0);
    EXPECT_TRUE(errors.contains("/nonexistent-dir/x.dat: the file cannot be written"));
    deleteScene(scene);
}

}  // namespace
