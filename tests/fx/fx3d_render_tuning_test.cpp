// The faster ways of sending a mesh (vertex arrays, GL_ONE additive blending,
// early flushes) against plain immediate mode with the (GL_SRC_ALPHA,
// GL_SRC_ALPHA) blend: the same mesh must give the same bytes in every pixel
// and leave the same GL state behind.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <vector>

#include "fx/mesh_draw.h"
#include "fx/render_tuning.h"
#include "glcalls/gl_calls.h"
#include "fx3d_support.h"
#include "math/random.h"
#include "scene/scene_builder.h"
#include "state/demo_state.h"
#include "support/gl_test_context.h"

namespace {

using fx3d::slotLit;
using fx3d::slotTransparent;
using fx3d::slotTwoLayer;
using fx3d::slotWire;

struct MeshMode {
    const char* name;
    void (*draw)(SceneObject*);
    int slot;
};
const MeshMode meshModes[] = {{"two-layer", drawMeshTwoLayer, slotTwoLayer},
                              {"lit", drawMeshLit, slotLit},
                              {"transparent", drawMeshTransparent, slotTransparent},
                              {"wireframe", drawMeshWireframe, slotLit}};

// An RGB picture with detail in every texel, so that coordinates matter.
unsigned patternTexture(int seed) {
    unsigned char texels[16 * 16 * 3];
    for (int i = 0; i < 16 * 16 * 3; ++i) texels[i] = (unsigned char)((i * 37 + seed * 91) & 255);
    return testgl::rgbTexture(texels, 16, 16, GL_LINEAR);
}

class RenderTuningTest : public fx3d::SceneTest {
protected:
    void TearDown() override {
        resetRenderTuning();
        SceneTest::TearDown();
    }

    // Many overlapping triangles in front of the viewer (more than one batch
    // holds), some behind it and some beyond the far limit, with varied
    // coordinates and baked colours (a few with no red).
    SceneObject* randomMesh(int faces, int slot) {
        std::vector<Vec3> vertices;
        std::vector<scenebuild::Triangle> triangles;
        resetRandom(7);
        for (int f = 0; f < faces; ++f) {
            // Small triangles: many batches of corners, not much to fill.
            const float cx = randomSigned(1.1f), cy = randomSigned(1.1f);
            for (int c = 0; c < 3; ++c) {
                const float z = -2 - randomBelow(60);
                vertices.push_back(Vec3{(cx + randomSigned(0.12f)) * -z,
                                        (cy + randomSigned(0.12f)) * -z, z});
            }
            if (f % 17 == 0) vertices.back().z = 1;  // one corner behind the viewer
            triangles.push_back({3 * f, 3 * f + 1, 3 * f + 2});
        }
        const int index = scenebuild::addObject(scene, vertices, triangles, slot);
        SceneObject* o = &scene->objects[index];
        for (int i = 0; i < o->vertexCount; ++i) o->viewVertices[i] = vertices[size_t(i)];
        for (int f = 0; f < o->faceCount; ++f)
            for (FaceCorner& c : o->faces[f].corners) {
                c.uv[0] = randomBelow(2);
                c.uv[1] = randomBelow(2);
                c.uv2[0] = randomBelow(3);
                c.uv2[1] = randomBelow(3);
                c.colour[0] = f % 5 == 0 ? 0.0f : randomBelow(1);
                c.colour[1] = randomBelow(1);
                c.colour[2] = randomBelow(1);
            }
        return o;
    }

    // A picture with detail in every texel in each mode's slot.
    void givePictures() {
        demo.TextureTable[slotTwoLayer].flags = textureFlagTwoLayer;
        demo.TextureTable[slotTwoLayer].glTexture = patternTexture(1);
        demo.TextureTable[slotTwoLayer].glTexture2 = patternTexture(2);
        demo.TextureTable[slotLit].glTexture = patternTexture(3);
        demo.TextureTable[slotLit].wireLevel = 0.3f;
        demo.TextureTable[slotTransparent].glTexture = patternTexture(4);
        demo.TextureTable[slotWire].glTexture = patternTexture(5);
        demo.TextureTable[slotWire].opacity = 1.0f;
    }

    struct Result {
        std::vector<unsigned char> pixels;
        GLint blendSrc = 0, blendDst = 0;
        GLfloat colour[4] = {}, tex[4] = {};
        GLboolean blend = 0, cull = 0, depthMask = 0;
        GLvoid* vertexArray = nullptr;
        GLint texture = 0;
    };

    Result drawWith(const RenderTuning& tuning, void (*draw)(SceneObject*), SceneObject* o) {
        testgl::clearFrame(0.1f, 0.2f, 0.3f);
        fx3d::setTestProjection(1.0);
        demo.cullFarZ = -50;
        renderTuning = tuning;
        // Current values and array state no draw here leaves as they were.
        glColor4f(0.5f, 0.5f, 0.5f, 0.5f);
        glTexCoord4f(9, 9, 9, 9);
        glVertexPointer(3, GL_FLOAT, 0, nullptr);
        draw(o);
        Result r;
        r.pixels.resize(640 * 480 * 4);
        glFinish();
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, 640, 480, GL_RGBA, GL_UNSIGNED_BYTE, r.pixels.data());
        glGetIntegerv(GL_BLEND_SRC, &r.blendSrc);
        glGetIntegerv(GL_BLEND_DST, &r.blendDst);
        glGetFloatv(GL_CURRENT_COLOR, r.colour);
        glGetFloatv(GL_CURRENT_TEXTURE_COORDS, r.tex);
        r.blend = glIsEnabled(GL_BLEND);
        r.cull = glIsEnabled(GL_CULL_FACE);
        glGetBooleanv(GL_DEPTH_WRITEMASK, &r.depthMask);
        glGetPointerv(GL_VERTEX_ARRAY_POINTER, &r.vertexArray);
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &r.texture);
        resetRenderTuning();
        return r;
    }

    // The blend, culling, depth writes and current values a draw left.
    static void expectSameStateLeft(const Result& r, const Result& ref) {
        EXPECT_EQ(r.blendSrc, ref.blendSrc);
        EXPECT_EQ(r.blendDst, ref.blendDst);
        EXPECT_EQ(r.blend, ref.blend);
        EXPECT_EQ(r.cull, ref.cull);
        EXPECT_EQ(r.depthMask, ref.depthMask);
        for (int k = 0; k < 4; ++k) {
            EXPECT_EQ(r.colour[k], ref.colour[k]) << "current colour " << k;
            EXPECT_EQ(r.tex[k], ref.tex[k]) << "current texture coordinate " << k;
        }
    }

};

TEST_F(RenderTuningTest, EveryModeDrawsTheSameBytesAsPlainImmediateMode) {
    REQUIRE_GL();
    givePictures();
    demo.TextureTable[slotTransparent].opacity = 0.4f;  // never reaches the vertices
    const RenderTuning plain = {0, 0, 0};
    const RenderTuning tunings[] = {{1, 1, 1}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    for (const MeshMode& m : meshModes) {
        // 4500 faces: 13500 corners, more than one batch of arrays.
        SceneObject* o = randomMesh(4500, m.slot);
        const Result ref = drawWith(plain, m.draw, o);
        long lit = 0;
        for (size_t i = 0; i < ref.pixels.size(); i += 4) lit += ref.pixels[i] != 25;
        EXPECT_GT(lit, 640 * 480 / 4) << m.name << ": the mesh should cover much of the frame";
        for (const RenderTuning& t : tunings) {
            SCOPED_TRACE(testing::Message() << m.name << " arrays " << t.meshArrays << " one "
                                            << t.additiveOne << " flush " << t.earlyFlush);
            const Result r = drawWith(t, m.draw, o);
            size_t differing = 0;
            for (size_t i = 0; i < r.pixels.size(); ++i) differing += r.pixels[i] != ref.pixels[i];
            EXPECT_EQ(differing, 0u);
            expectSameStateLeft(r, ref);
        }
    }
}

TEST_F(RenderTuningTest, AdditivePassesLeaveTheSourceAlphaBlendBehind) {
    REQUIRE_GL();
    demo.TextureTable[slotTransparent].opacity = 1.0f;
    demo.TextureTable[slotTransparent].glTexture = patternTexture(6);
    demo.TextureTable[slotWire].opacity = 1.0f;
    demo.TextureTable[slotTransparent].wireLevel = 0.5f;
    SceneObject* o = randomMesh(10, slotTransparent);
    for (void (*draw)(SceneObject*) : {drawMeshTransparent, drawMeshWireframe}) {
        const Result r = drawWith(RenderTuning{1, 1, 1}, draw, o);
        EXPECT_EQ(r.blendSrc, GL_SRC_ALPHA);
        EXPECT_EQ(r.blendDst, GL_SRC_ALPHA);
    }
}

// Through the GL table's history-only mode (frames a seek plays on its way)
// a mesh sends no vertex, yet leaves GL as drawing it does.
void (*drawnForHistory)(SceneObject*) = nullptr;
void drawForHistoryOnly(SceneObject* o) {
    setGlCallMode(GlCallMode::historyOnly);
    drawnForHistory(o);
    setGlCallMode(GlCallMode::drawing);
}

TEST_F(RenderTuningTest, PlayedForItsHistoryOnlyAModeDrawsNothingAndLeavesTheSameState) {
    REQUIRE_GL();
    givePictures();
    const Result cleared = drawWith(RenderTuning{0, 0, 0}, [](SceneObject*) {}, nullptr);
    for (const MeshMode& m : meshModes) {
        SceneObject* o = randomMesh(4500, m.slot);
        // The last faces behind the viewer: the last corner sent is an earlier face's.
        for (int v = o->vertexCount - 6; v < o->vertexCount; ++v) o->viewVertices[v].z = 1;
        drawnForHistory = m.draw;
        for (int arrays : {0, 1}) {
            SCOPED_TRACE(testing::Message() << m.name << " arrays " << arrays);
            const RenderTuning tuning = {arrays, 1, 1};
            const Result drawn = drawWith(tuning, m.draw, o);
            const Result played = drawWith(tuning, drawForHistoryOnly, o);
            EXPECT_TRUE(played.pixels == cleared.pixels) << "drawn while played for history only";
            EXPECT_FALSE(drawn.pixels == cleared.pixels);
            expectSameStateLeft(played, drawn);
            EXPECT_EQ(played.vertexArray, drawn.vertexArray);
            EXPECT_EQ(played.texture, drawn.texture);
            fx3d::expectNoClientArrays();
        }
    }
}

}  // namespace
