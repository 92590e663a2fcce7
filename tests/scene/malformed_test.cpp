#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "scene/scene_builder.h"
#include "scene/scene_bytes.h"
#include "scene/scene_file.h"
#include "support/error_capture.h"

namespace {

using scenebytes::Bytes;

// Offsets of the fixture file: a 119-byte camera, the object count, then two
// 3-vertex, 1-face objects of 223 bytes each (the second below the first),
// one light and one spot.
const size_t object0 = 120;
const size_t object1 = object0 + 223;
const size_t vertexCountAt = 6, faceCountAt = 46, materialAt = 50, firstCornerAt = 51;
const size_t lightCountAt = object1 + 223;

void object(Bytes& b, unsigned kind, unsigned parent) {
    b.u8(kind).u8(parent).i32(0).i32(3);
    b.vec({0, 0, 0}).vec({1, 0, 0}).vec({0, 1, 0});
    b.i32(1).u8(2);
    for (int c = 0; c < 3; ++c) b.i32(c).f32(0.5f).f32(0.5f);
    b.positionBlock({PositionKey{{0, 0, 0}, 0, {1, 0, 0}, {0, 0, 0}}});
    b.rotationBlock({RotationKey{{1, 0, 0, 0}, 0, {1, 0, 0, 0}, {1, 0, 0, 0}}});
    b.positionBlock({PositionKey{{0, 0, 0}, 0, {1, 1, 1}, {0, 0, 0}}});
    b.visibilityBlock({});
}

Bytes fixture() {
    Bytes b;
    scenebytes::camera(b, {0, -10, 0}, {0, 0, 0});
    b.u8(2);
    object(b, 0, 0);
    object(b, 1, 0);
    b.u8(1);
    b.u8(0).u8(0).u8(10).u8(20).u8(30);
    b.positionBlock({PositionKey{{0, 0, 0}, 0, {0, 0, 5}, {0, 0, 0}}});
    b.visibilityBlock({100});
    b.u8(1);
    b.u8(0).u8(0).u8(1).u8(2).u8(3);
    b.positionBlock({}).scalarBlock({}).scalarBlock({ScalarKey{0, 0, 1, 0}});
    b.positionBlock({}).visibilityBlock({});
    return b;
}

void patchI32(Bytes& b, size_t at, int32_t v) {
    for (int i = 0; i < 4; ++i) b.data[at + size_t(i)] = (uint32_t(v) >> (8 * i)) & 0xffu;
}

void expectEmpty(const Scene* scene) {
    EXPECT_EQ(scene->camera, nullptr);
    EXPECT_EQ(scene->objects, nullptr);
    EXPECT_EQ(scene->lights, nullptr);
    EXPECT_EQ(scene->spots, nullptr);
    scenebytes::expectNoTables(scene);
}

TEST(MalformedSceneFiles, FixtureIsValid) {
    Bytes b = fixture();
    ASSERT_EQ(b.data[lightCountAt], 1u);
    Scene scene;
    ErrorCapture errors;
    ASSERT_EQ(loadSceneBytes(b.data.data(), long(b.data.size()), "data\\bad.dat", &scene, 0), 1);
    EXPECT_TRUE(errors.texts.empty());
    EXPECT_EQ(scene.objects[1].kind, 1);
    EXPECT_EQ(scene.spots[0].valueTrackB.keyCount, 1);
    releaseSceneContents(&scene);
}

// Every proper prefix of a valid file is rejected, once, without reading past it.
TEST(MalformedSceneFiles, TruncatedAtEveryOffset) {
    const Bytes full = fixture();
    for (size_t length = 0; length < full.data.size(); ++length) {
        std::vector<unsigned char> cut(full.data.begin(), full.data.begin() + long(length));
        Scene scene;
        std::memset(&scene, 0x5A, sizeof scene);
        ErrorCapture errors;
        int result = loadSceneBytes(cut.empty() ? nullptr : cut.data(), long(length),
                                    "data\\bad.dat", &scene, 0);
        ASSERT_EQ(result, 0) << "length " << length;
        ASSERT_EQ(errors.texts.size(), 1u) << "length " << length;
        EXPECT_EQ(errors.texts[0].rfind("data\\bad.dat: file ends inside ", 0), 0u)
            << errors.texts[0];
        expectEmpty(&scene);
    }
}

TEST(MalformedSceneFiles, DefectsAreNamed) {
    struct Case {
        const char* what;
        void (*patch)(Bytes&);
        int textureBase;
        const char* message;
    };
    const Case cases[] = {
        {"child of an object beyond the list", [](Bytes& b) { b.data[object1 + 1] = 2; }, 0,
         "object 1 hangs below object 2, but the file has 2 objects"},
        {"negative vertex count", [](Bytes& b) { patchI32(b, object0 + vertexCountAt, -1); }, 0,
         "object 0 has a negative vertex count (-1)"},
        {"vertex count beyond the file",
         [](Bytes& b) { patchI32(b, object0 + vertexCountAt, 0x7fffffff); }, 0,
         "file ends inside object 0 vertices"},
        {"negative face count", [](Bytes& b) { patchI32(b, object1 + faceCountAt, -3); }, 0,
         "object 1 has a negative face count (-3)"},
        {"face count beyond the file",
         [](Bytes& b) { patchI32(b, object1 + faceCountAt, 100000000); }, 0,
         "file ends inside object 1 faces"},
        {"vertex index past the end",
         [](Bytes& b) { patchI32(b, object0 + firstCornerAt + 24, 3); }, 0,
         "object 0 face 0 uses vertex 3, but the object has 3 vertices"},
        {"negative vertex index", [](Bytes& b) { patchI32(b, object1 + firstCornerAt, -1); }, 0,
         "object 1 face 0 uses vertex -1, but the object has 3 vertices"},
        {"material beyond the texture table", [](Bytes& b) { b.data[object0 + materialAt] = 200; },
         900, "object 0 material 200 with texture base 900 is outside the texture table"},
        // The second light takes the spot list as its start and runs out in its track.
        {"more lights than records", [](Bytes& b) { b.data[lightCountAt] = 2; }, 0,
         "file ends inside light 1 position track"},
    };
    for (const Case& c : cases) {
        Bytes b = fixture();
        c.patch(b);
        Scene scene;
        ErrorCapture errors;
        EXPECT_EQ(loadSceneBytes(b.data.data(), long(b.data.size()), "data\\bad.dat", &scene,
                                 c.textureBase),
                  0)
            << c.what;
        ASSERT_EQ(errors.texts.size(), 1u) << c.what;
        EXPECT_EQ(errors.texts[0], std::string("data\\bad.dat: ") + c.message) << c.what;
        expectEmpty(&scene);
    }
}

}  // namespace
