// Cost of one frame of a 40k-triangle scene: evaluation and the lit pass,
// batched through client arrays, against the same triangles sent one vertex
// call at a time. Prints the figures; never fails on a time.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>

#include "fx/mesh_draw.h"
#include "fx/switches.h"
#include "fx3d_support.h"
#include "image/texture_table.h"
#include "scene/evaluate.h"
#include "scene/scene_builder.h"
#include "state/demo_state.h"
#include "support/gl_test_context.h"

namespace {

// The plain immediate-mode form of the lit pass, for comparison only.
void drawLitImmediate(const SceneObject* o) {
    bindTextureSlot(&demo.TextureTable[o->textureIndex]);
    glBegin(GL_TRIANGLES);
    for (int i = 0; i < o->faceCount; ++i) {
        const Face& f = o->faces[i];
        const Vec3* v = o->viewVertices;
        const float z0 = v[f.corners[0].vertexIndex].z, z1 = v[f.corners[1].vertexIndex].z,
                    z2 = v[f.corners[2].vertexIndex].z;
        if (!(z0 < demo.cullNearZ || z1 < demo.cullNearZ || z2 < demo.cullNearZ)) continue;
        if (!(z0 > demo.cullFarZ || z1 > demo.cullFarZ || z2 > demo.cullFarZ)) continue;
        for (const FaceCorner& c : f.corners) {
            glTexCoord2fv(c.uv);
            glColor3fv(c.colour);
            glVertex3fv(&v[c.vertexIndex].x);
        }
    }
    glEnd();
}

class Fx3dBench : public fx3d::TablesTest {};

TEST_F(Fx3dBench, FortyThousandTriangleFrame) {
    REQUIRE_GL();
    const int columns = 200, rows = 100;  // 2 x 200 x 100 = 40000 triangles
    std::vector<Vec3> vertices;
    for (int r = 0; r <= rows; ++r)
        for (int c = 0; c <= columns; ++c)
            vertices.push_back(Vec3{float(c) * 4.0f - 400.0f, 300.0f, float(r) * 3.0f - 150.0f});
    std::vector<scenebuild::Triangle> triangles;
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c) {
            const int i = r * (columns + 1) + c;
            triangles.push_back({i, i + 1, i + columns + 2});
            triangles.push_back({i, i + columns + 2, i + columns + 1});
        }
    Scene* scene = scenebuild::newScene({0, 0, 0}, {0, 10, 0}, 0.0f, 0.6f);
    demo.TextureTable[1].glTexture = testgl::solidTexture(200, 200, 200);
    scenebuild::addObject(scene, vertices, triangles, 1);
    SceneObject* o = &scene->objects[0];
    testgl::clearFrame(0, 0, 0);
    fx3d::setTestProjection(1.0);

    using clock = std::chrono::steady_clock;
    auto ms = [](clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); };
    const int frames = 20;
    // Second round with a one-pixel scissor: what is left is the submission cost.
    for (int round = 0; round < 2; ++round) {
        if (round == 1) {
            glEnable(GL_SCISSOR_TEST);
            glScissor(0, 0, 1, 1);
        }
        double evaluate = 0, batched = 0, immediate = 0;
        for (int f = 0; f < frames; ++f) {
            auto t0 = clock::now();
            evaluateScene(scene, float(f));
            auto t1 = clock::now();
            drawMeshLit(o);
            glFinish();
            auto t2 = clock::now();
            drawLitImmediate(o);
            glFinish();
            auto t3 = clock::now();
            evaluate += ms(t1 - t0);
            batched += ms(t2 - t1);
            immediate += ms(t3 - t2);
        }
        std::printf("40000 triangles%s, mean of %d frames: evaluateScene %.3f ms, drawMeshLit "
                    "%.3f ms (client arrays), immediate mode %.3f ms\n",
                    round ? " (1-pixel scissor)" : " (full screen)", frames, evaluate / frames,
                    batched / frames, immediate / frames);
    }
    glDisable(GL_SCISSOR_TEST);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    scenebuild::deleteScene(scene);
}

}  // namespace
