// Mesh deformers: the worked examples and the bounds of each effect.
#include <gtest/gtest.h>

#include <cmath>

#include "fx/deformers.h"
#include "fx3d_support.h"
#include "scene/scene_builder.h"

namespace {

class DeformersTest : public fx3d::SceneTest {
protected:
    // An object whose camera-space vertices are the given points.
    SceneObject* objectWithView(const std::vector<Vec3>& points) {
        std::vector<scenebuild::Triangle> tris;
        if (points.size() >= 3) tris.push_back({0, 1, 2});
        const int i = scenebuild::addObject(scene, points, tris);
        SceneObject* o = &scene->objects[i];
        for (size_t k = 0; k < points.size(); ++k) o->viewVertices[k] = points[k];
        return o;
    }
};

void expectVec(const Vec3& v, float x, float y, float z, const char* what) {
    EXPECT_NEAR(v.x, x, 1e-4f) << what;
    EXPECT_NEAR(v.y, y, 1e-4f) << what;
    EXPECT_NEAR(v.z, z, 1e-4f) << what;
}

TEST_F(DeformersTest, WobbleAtTimeZero) {
    SceneObject* o = objectWithView({{0, 0, 0}});
    float t = 0.0f;
    wobbleVertices(o, &t);
    expectVec(o->viewVertices[0], 0, 50, 0, "wobble");
}

TEST_F(DeformersTest, WarpMovesEveryObjectAndLightWorldPositionsOnly) {
    objectWithView({{0, 0, 0}});
    objectWithView({{0, 0, 0}})->visibility.hidden = 1;
    const int l = scenebuild::addLight(scene, {0, 0, 0});
    scene->lights[l].viewPosition = Vec3{1, 2, 3};
    warpScene(scene, 0.0f);
    expectVec(scene->objects[0].viewVertices[0], 0, 350, 0, "visible");
    expectVec(scene->objects[1].viewVertices[0], 0, 350, 0, "hidden");
    expectVec(scene->lights[l].worldPosition, 0, 350, 0, "light world");
    expectVec(scene->lights[l].viewPosition, 1, 2, 3, "light view");
}

TEST_F(DeformersTest, RepelFromParticles) {
    struct Case {
        const char* name;
        Vec3 vertex;
        Vec3 expected;
    };
    const Case cases[] = {
        {"100 away moves 10 further", {100, 0, -50}, {110, 0, -50}},
        {"exactly 120 away stays", {0, 120, -50}, {0, 120, -50}},
        {"on the particle stays", {0, 0, -50}, {0, 0, -50}},
        {"within 1 unit: distance taken as 1", {0, 0, -49.5f}, {0, 0, -49.5f + 59.5f * 0.5f}},
    };
    Particle particle{};
    particle.viewPos = Vec3{0, 0, -50};
    ParticleSystem system{};
    system.particles = &particle;
    system.count = 1;
    for (const Case& c : cases) {
        SceneObject* o = objectWithView({c.vertex});
        repelVerticesFromParticles(o, &system);
        expectVec(o->viewVertices[0], c.expected.x, c.expected.y, c.expected.z, c.name);
    }
    // A system switched off (count 0) pushes nothing.
    system.count = 0;
    SceneObject* o = objectWithView({{100, 0, -50}});
    repelVerticesFromParticles(o, &system);
    expectVec(o->viewVertices[0], 100, 0, -50, "count 0");
}

TEST_F(DeformersTest, RippleLeavesFarVerticesButRecomputesNormals) {
    // All three vertices more than 500 units from (100, 100) and (-100, -100).
    SceneObject* far = objectWithView({{900, 0, -10}, {1000, 0, -10}, {900, 100, -10}});
    for (int i = 0; i < 3; ++i) far->normals[i] = Vec3{7, 7, 7};
    float t = 123.0f;
    rippleTwoCentres(far, &t);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(far->viewVertices[i].z, -10.0f);
    // Fresh unit normals and environment coordinates from them.
    const Vec3 n = far->normals[0];
    EXPECT_NEAR(n.x * n.x + n.y * n.y + n.z * n.z, 1.0f, 1e-4f);
    EXPECT_FLOAT_EQ(far->faces[0].corners[0].uv[0], (n.x + 1) * 0.5f);

    // Near a centre the surface does move (x and y never do).
    SceneObject* near = objectWithView({{90, 100, -10}, {110, 100, -10}, {100, 110, -10}});
    rippleTwoCentres(near, &t);
    EXPECT_NE(near->viewVertices[0].z, -10.0f);
    EXPECT_EQ(near->viewVertices[0].x, 90.0f);
    EXPECT_EQ(near->viewVertices[0].y, 100.0f);
}

TEST_F(DeformersTest, MirrorRipple) {
    scenebuild::addObject(scene, {{0, 0, 0}, {1, 2, 3}}, {});
    scenebuild::addObject(scene, {{9, 9, 9}, {9, 9, 9}}, {});
    SceneObject* src = &scene->objects[0];
    SceneObject* dst = &scene->objects[1];
    mirrorRippleVertices(dst, src, 0.0f);
    expectVec(dst->baseVertices[0], 0, 0.1f, 0, "origin");
    EXPECT_FLOAT_EQ(dst->baseVertices[1].z, -3.0f);
    EXPECT_FLOAT_EQ(dst->baseVertices[1].x, 1.0f + 0.1f * std::sin(4.0f * 3 + 5.0f * 2));
}

TEST_F(DeformersTest, MirrorRippleIntoASmallerDestinationWritesWhatFits) {
    scenebuild::addObject(scene, {{0, 0, 0}, {1, 2, 3}, {4, 5, 6}}, {});
    scenebuild::addObject(scene, {{9, 9, 9}, {9, 9, 9}, {9, 9, 9}}, {});
    SceneObject* src = &scene->objects[0];
    SceneObject* dst = &scene->objects[1];
    dst->vertexCount = 2;  // the third slot stands for memory past the array
    mirrorRippleVertices(dst, src, 0.0f);
    EXPECT_FLOAT_EQ(dst->baseVertices[1].z, -3.0f);
    expectVec(dst->baseVertices[2], 9, 9, 9, "beyond the destination");
    dst->vertexCount = 3;
}

}  // namespace
