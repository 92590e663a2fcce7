#pragma once
// Shared pieces of the 3D drawing tests: private texture table and scene bank,
// switch and clock resets, and a GL feedback recorder that counts what a draw
// call actually sends.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <vector>

#include "fx/switches.h"
#include "math/random.h"
#include "scene/scene.h"
#include "scene/scene_builder.h"
#include "scene/texture_slot.h"
#include "state/demo_clock.h"
#include "state/demo_state.h"
#include "support/private_demo.h"

namespace fx3d {

// Texture slots the mesh tests give their kinds of surface.
enum : int { slotTwoLayer = 10, slotLit = 11, slotTransparent = 12, slotWire = 99 };

// Makes a fresh demo record for the test and puts the previous one back.
class TablesTest : public PrivateDemoTest {};

// A fresh demo record and one fresh scene (scenebuild::newScene) per test.
class SceneTest : public TablesTest {
protected:
    void SetUp() override {
        TablesTest::SetUp();
        scene = scenebuild::newScene();
    }
    void TearDown() override {
        scenebuild::deleteScene(scene);
        scene = nullptr;
        TablesTest::TearDown();
    }
    Scene* scene = nullptr;
};

struct FeedbackCounts {
    int polygons = 0;
    int lines = 0;
    int points = 0;
    std::vector<float> lineData;  // x, y, z of both ends per line (window coordinates)
};

// Runs draw in GL_FEEDBACK mode and counts the primitives that reached the
// rasteriser stage (after clipping, before culling is not guaranteed: keep
// test triangles front-facing).
inline FeedbackCounts recordFeedback(const std::function<void()>& draw, int capacity = 1 << 20) {
    std::vector<GLfloat> buffer(static_cast<size_t>(capacity));
    glFeedbackBuffer(capacity, GL_3D, buffer.data());
    glRenderMode(GL_FEEDBACK);
    draw();
    const int used = glRenderMode(GL_RENDER);
    FeedbackCounts counts;
    EXPECT_GE(used, 0) << "feedback buffer overflow";
    for (int i = 0; i < used;) {
        const int token = static_cast<int>(buffer[i++]);
        switch (token) {
            case GL_POLYGON_TOKEN: {
                const int n = static_cast<int>(buffer[i++]);
                i += 3 * n;
                ++counts.polygons;
                break;
            }
            case GL_LINE_TOKEN:
            case GL_LINE_RESET_TOKEN:
                counts.lineData.insert(counts.lineData.end(), buffer.begin() + i,
                                       buffer.begin() + i + 6);
                i += 6;
                ++counts.lines;
                break;
            case GL_POINT_TOKEN:
            case GL_BITMAP_TOKEN:
            case GL_DRAW_PIXEL_TOKEN:
            case GL_COPY_PIXEL_TOKEN:
                i += 3;
                ++counts.points;
                break;
            case GL_PASS_THROUGH_TOKEN:
                i += 1;
                break;
            default:
                ADD_FAILURE() << "unknown feedback token " << token;
                return counts;
        }
    }
    return counts;
}

// The colour and texture coordinates that are current, as immediate mode
// leaves them after the last corner.
struct CurrentVertex {
    GLfloat colour[4];
    GLfloat tex[4];
};
inline CurrentVertex currentVertex() {
    CurrentVertex v;
    glGetFloatv(GL_CURRENT_COLOR, v.colour);
    glGetFloatv(GL_CURRENT_TEXTURE_COORDS, v.tex);
    return v;
}

// As immediate mode leaves it: no client array switched on.
inline void expectNoClientArrays() {
    EXPECT_FALSE(glIsEnabled(GL_VERTEX_ARRAY));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_COORD_ARRAY));
    EXPECT_FALSE(glIsEnabled(GL_COLOR_ARRAY));
}

// The 90-degree projection in which x, y in -1..1 at z = -1 span the screen,
// with a near plane close enough to show everything the rejection tests keep.
inline void setTestProjection(double nearPlane = 0.01) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glFrustum(-nearPlane, nearPlane, -nearPlane, nearPlane, nearPlane, 100000.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

}  // namespace fx3d
