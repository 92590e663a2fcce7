// Mesh drawing modes: triangle rejection per mode, the two-layer red gate,
// the wireframe overlay and the GL state each mode leaves behind.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>

#include "fx/mesh_draw.h"
#include "fx3d_support.h"
#include "scene/scene_builder.h"
#include "state/demo_state.h"
#include "support/gl_test_context.h"

namespace {

using fx3d::recordFeedback;

using fx3d::slotLit;
using fx3d::slotTransparent;
using fx3d::slotTwoLayer;
using fx3d::slotWire;

class MeshDrawTest : public fx3d::SceneTest {
protected:
    void SetUp() override {
        SceneTest::SetUp();
        demo.TextureTable[slotTwoLayer].flags = textureFlagTwoLayer;
        demo.TextureTable[slotTwoLayer].wireLevel = 0.5f;
        demo.TextureTable[slotLit].wireLevel = 0.5f;
        demo.TextureTable[slotTransparent].opacity = 1.0f;
        demo.TextureTable[slotTransparent].wireLevel = 0.5f;
        demo.TextureTable[slotWire].opacity = 1.0f;
    }
    // One front-facing triangle whose corners sit at the given depths, each
    // scaled so that it projects to the same place on screen.
    SceneObject* triangleAt(float z0, float z1, float z2, int slot) {
        const int index = scenebuild::addObject(scene, {{0, 0, 0}, {0, 0, 0}, {0, 0, 0}},
                                                {{0, 1, 2}}, slot);
        SceneObject* o = &scene->objects[index];
        o->viewVertices[0] = Vec3{-0.5f * -z0, -0.5f * -z0, z0};
        o->viewVertices[1] = Vec3{0.5f * -z1, -0.5f * -z1, z1};
        o->viewVertices[2] = Vec3{0.0f, 0.5f * -z2, z2};
        return o;
    }
    // That triangle at depth 2, in a slot given a solid picture.
    SceneObject* texturedTriangle(int slot, unsigned char r, unsigned char g, unsigned char b) {
        demo.TextureTable[slot].glTexture = testgl::solidTexture(r, g, b);
        return triangleAt(-2, -2, -2, slot);
    }
};

struct ModeCase {
    const char* name;
    void (*draw)(SceneObject*);
    int slot;
    bool farTest;
    int polygonsPerFace;
    int linesPerFace;
};

const ModeCase modes[] = {
    {"two-layer", drawMeshTwoLayer, slotTwoLayer, true, 2, 0},
    {"lit", drawMeshLit, slotLit, true, 1, 0},
    {"transparent", drawMeshTransparent, slotTransparent, false, 1, 0},
    {"wireframe", drawMeshWireframe, slotLit, false, 0, 4},
};

struct DepthCase {
    const char* name;
    float z[3];
    bool passesNear;
    bool passesFar;
};

// With demo.cullNearZ -5 and demo.cullFarZ -50: every triangle here lies inside the GL
// view volume, so anything missing was rejected by the drawing code.
const DepthCase depths[] = {
    {"all behind", {-3, -4, -2}, false, true},
    {"all exactly at near", {-5, -5, -5}, false, true},
    {"one corner in front", {-6, -3, -3}, true, true},
    {"all beyond far", {-60, -70, -55}, true, false},
    {"all exactly at far", {-50, -50, -50}, true, false},
    {"one corner within far", {-60, -40, -70}, true, true},
};

TEST_F(MeshDrawTest, RejectionPerMode) {
    REQUIRE_GL();
    testgl::clearFrame(0, 0, 0);
    fx3d::setTestProjection();
    demo.cullNearZ = -5.0f;
    demo.cullFarZ = -50.0f;
    for (const ModeCase& mode : modes) {
        for (const DepthCase& depth : depths) {
            SceneObject* o = triangleAt(depth.z[0], depth.z[1], depth.z[2], mode.slot);
            const auto counts = recordFeedback([&] { mode.draw(o); });
            const bool drawn = depth.passesNear && (depth.passesFar || !mode.farTest);
            EXPECT_EQ(counts.polygons, drawn ? mode.polygonsPerFace : 0)
                << mode.name << ", " << depth.name;
            EXPECT_EQ(counts.lines, drawn ? mode.linesPerFace : 0) << mode.name << ", " << depth.name;
        }
    }
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(MeshDrawTest, ManyFacesAreAllDrawnAcrossBatchChunks) {
    REQUIRE_GL();
    testgl::clearFrame(0, 0, 0);
    fx3d::setTestProjection();
    const int faces = 5000;  // 15000 corners: more than one scratch batch
    std::vector<Vec3> vertices(3, Vec3{0, 0, 0});
    std::vector<scenebuild::Triangle> triangles(faces, scenebuild::Triangle{0, 1, 2});
    const int index = scenebuild::addObject(scene, vertices, triangles, slotLit);
    SceneObject* o = &scene->objects[index];
    o->viewVertices[0] = Vec3{-1, -1, -2};
    o->viewVertices[1] = Vec3{1, -1, -2};
    o->viewVertices[2] = Vec3{0, 1, -2};
    EXPECT_EQ(recordFeedback([&] { drawMeshLit(o); }, 1 << 21).polygons, faces);
    EXPECT_EQ(recordFeedback([&] { drawMeshTwoLayer(o); }, 1 << 21).polygons, 2 * faces);
    EXPECT_EQ(recordFeedback([&] { drawMeshWireframe(o); }, 1 << 21).lines, 4 * faces);
}

TEST_F(MeshDrawTest, WireLevelZeroDrawsNoWireframeAndTouchesNothing) {
    REQUIRE_GL();
    testgl::clearFrame(0, 0, 0);
    fx3d::setTestProjection();
    demo.TextureTable[slotLit].wireLevel = 0.0f;
    SceneObject* o = triangleAt(-2, -2, -2, slotLit);
    glColor4f(0.25f, 0.5f, 0.75f, 1.0f);
    EXPECT_EQ(recordFeedback([&] { drawMeshWireframe(o); }).lines, 0);
    EXPECT_FLOAT_EQ(fx3d::currentVertex().colour[0], 0.25f);
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
}

TEST_F(MeshDrawTest, WireframeLeavesOutEdgeBC) {
    REQUIRE_GL();
    testgl::clearFrame(0, 0, 0);
    fx3d::setTestProjection();
    SceneObject* o = triangleAt(-2, -2, -2, slotLit);
    const auto counts = recordFeedback([&] { drawMeshWireframe(o); });
    ASSERT_EQ(counts.lines, 4);
    // Window coordinates of b and c: no line joins them.
    const float bx = (0.5f + 1.0f) * 320.0f, by = (-0.5f + 1.0f) * 240.0f;
    const float cx = 320.0f, cy = (0.5f + 1.0f) * 240.0f;
    auto near = [](float a, float b) { return std::fabs(a - b) < 0.5f; };
    for (int i = 0; i < counts.lines; ++i) {
        const float* l = &counts.lineData[size_t(i) * 6];
        const bool bc = near(l[0], bx) && near(l[1], by) && near(l[3], cx) && near(l[4], cy);
        const bool cb = near(l[0], cx) && near(l[1], cy) && near(l[3], bx) && near(l[4], by);
        EXPECT_FALSE(bc || cb) << "line " << i;
    }
    // The overlay colour is the grey level; blending comes from slot 99.
    const fx3d::CurrentVertex current = fx3d::currentVertex();
    EXPECT_FLOAT_EQ(current.colour[0], 0.5f);
    EXPECT_FLOAT_EQ(current.colour[3], 1.0f);
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
}

TEST_F(MeshDrawTest, TwoLayerRedZeroCornerKeepsOnlyTheBaseLayer) {
    REQUIRE_GL();
    testgl::clearFrame(0, 0, 0);
    fx3d::setTestProjection(1.0);
    demo.TextureTable[slotTwoLayer].glTexture = testgl::solidTexture(64, 64, 64);
    demo.TextureTable[slotTwoLayer].glTexture2 = testgl::solidTexture(0, 0, 255);
    // Left face: all corners lit; right face: one corner with red 0.
    const int index = scenebuild::addObject(
        scene, {{-0.9f, -0.5f, -1.5f}, {-0.1f, -0.5f, -1.5f}, {-0.5f, 0.5f, -1.5f},
                {0.1f, -0.5f, -1.5f}, {0.9f, -0.5f, -1.5f}, {0.5f, 0.5f, -1.5f}},
        {{0, 1, 2}, {3, 4, 5}}, slotTwoLayer);
    SceneObject* o = &scene->objects[index];
    for (int i = 0; i < 6; ++i) o->viewVertices[i] = o->baseVertices[i];
    o->faces[1].corners[2].colour[0] = 0.0f;
    drawMeshTwoLayer(o);
    // Centroids at x = +-0.5 x 1/1.5 of the half screen, y = -0.167/1.5.
    const int y = int((1.0f - 0.5f / 1.5f / 3.0f) * 240.0f);
    const auto left = testgl::readPixel(int((1.0f - 0.5f / 1.5f) * 320.0f), y);
    const auto right = testgl::readPixel(int((1.0f + 0.5f / 1.5f) * 320.0f), y);
    EXPECT_NEAR(left.r, 64, 2);
    EXPECT_NEAR(left.b, 255, 2);
    EXPECT_NEAR(right.r, 64, 2);
    EXPECT_NEAR(right.b, 64, 2);
    // State left behind by the second layer.
    GLint depthFunc = 0;
    glGetIntegerv(GL_DEPTH_FUNC, &depthFunc);
    EXPECT_EQ(depthFunc, GL_LESS);
    GLboolean depthMask = GL_TRUE;
    glGetBooleanv(GL_DEPTH_WRITEMASK, &depthMask);
    EXPECT_FALSE(depthMask);
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    EXPECT_FALSE(glIsEnabled(GL_CULL_FACE));
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(GLuint(bound), demo.TextureTable[slotTwoLayer].glTexture2);
}

TEST_F(MeshDrawTest, LitModeModulatesAndLeavesTheLastCornerCurrent) {
    REQUIRE_GL();
    testgl::clearFrame(0, 0, 0);
    fx3d::setTestProjection(1.0);
    SceneObject* o = texturedTriangle(slotLit, 255, 255, 255);
    for (FaceCorner& c : o->faces[0].corners) {
        c.colour[0] = 1.0f;
        c.colour[1] = 0.0f;
        c.colour[2] = 0.0f;
    }
    o->faces[0].corners[2].colour[2] = 0.5f;
    o->faces[0].corners[2].uv[0] = 0.25f;
    o->faces[0].corners[2].uv[1] = 0.75f;
    drawMeshLit(o);
    const auto centre = testgl::readPixel(320, 220);
    EXPECT_NEAR(centre.r, 255, 2);
    EXPECT_NEAR(centre.g, 0, 2);
    // As immediate mode would leave it: no client arrays, last corner current.
    fx3d::expectNoClientArrays();
    const fx3d::CurrentVertex current = fx3d::currentVertex();
    EXPECT_FLOAT_EQ(current.colour[2], 0.5f);
    EXPECT_FLOAT_EQ(current.colour[3], 1.0f);
    EXPECT_FLOAT_EQ(current.tex[0], 0.25f);
    EXPECT_FLOAT_EQ(current.tex[1], 0.75f);
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
}

TEST_F(MeshDrawTest, TransparentIgnoresBakedColoursAndHonoursNoFog) {
    REQUIRE_GL();
    testgl::clearFrame(0, 0, 0);
    fx3d::setTestProjection(1.0);
    demo.TextureTable[slotTransparent].opacity = 0.25f;
    SceneObject* o = texturedTriangle(slotTransparent, 200, 100, 50);
    for (FaceCorner& c : o->faces[0].corners) c.colour[0] = c.colour[1] = c.colour[2] = 0.0f;

    glEnable(GL_FOG);
    glFogf(GL_FOG_DENSITY, 0.0f);
    demo.transparentNoFog = 0;
    drawMeshTransparent(o);
    EXPECT_TRUE(glIsEnabled(GL_FOG));
    demo.transparentNoFog = 1;
    testgl::clearFrame(0, 0, 0);
    fx3d::setTestProjection(1.0);
    glEnable(GL_FOG);
    drawMeshTransparent(o);
    EXPECT_FALSE(glIsEnabled(GL_FOG));
    // White corners with alpha 1: the picture is added at full strength.
    const auto centre = testgl::readPixel(320, 220);
    EXPECT_NEAR(centre.r, 200, 2);
    EXPECT_NEAR(centre.g, 100, 2);
    EXPECT_NEAR(centre.b, 50, 2);
    const fx3d::CurrentVertex current = fx3d::currentVertex();
    EXPECT_FLOAT_EQ(current.colour[0], 1.0f);
    EXPECT_FLOAT_EQ(current.colour[3], 1.0f);
}

}  // namespace
