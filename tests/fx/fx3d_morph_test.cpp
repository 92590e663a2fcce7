// Mesh frame morphing: cycle wrap, negative frames, weight signs, and the
// guards against frame objects smaller than their target.
#include <gtest/gtest.h>

#include "fx/morph.h"
#include "fx3d_support.h"
#include "scene/scene_builder.h"
#include "state/demo_state.h"
#include "support/error_capture.h"

namespace {

// Frame f of place P has every vertex at x = 100 P + f; y holds the index.
class MorphTest : public fx3d::TablesTest {
protected:
    void SetUp() override {
        TablesTest::SetUp();
        addTarget(10, 1, 4);
        addTarget(20, 0, 4);
        for (int place = 11; place <= 15; ++place) fillFrames(place, 4);
    }
    void TearDown() override {
        for (int place : {10, 11, 12, 13, 14, 15, 20}) releaseSceneContents(&demo.SceneBank[place]);
        TablesTest::TearDown();
    }
    static void addTarget(int place, int index, int vertices) {
        for (int i = 0; i <= index; ++i)
            scenebuild::addObject(&demo.SceneBank[place], std::vector<Vec3>(size_t(vertices)), {});
    }
    static void fillFrames(int place, int vertices) {
        for (int f = 0; f < 10; ++f) {
            std::vector<Vec3> v;
            for (int k = 0; k < vertices; ++k) v.push_back(Vec3{float(100 * place + f), float(k), 0});
            scenebuild::addObject(&demo.SceneBank[place], v, {});
        }
    }
    static const Vec3* targetA() { return demo.SceneBank[10].objects[1].baseVertices; }
    static const Vec3* targetB() { return demo.SceneBank[20].objects[0].baseVertices; }
};

TEST_F(MorphTest, BaseCycle) {
    struct Case {
        float frame;
        float x;
    };
    const Case cases[] = {
        {3.25f, 1103.25f}, {9.5f, 1104.5f},  // 9 blends half way into 0
        {19.0f, 1109.0f},  {-0.5f, 1100.0f}, {-3.2f, 1100.0f}, {-1.0f, 1100.0f},
    };
    for (const Case& c : cases) {
        morphMeshFramesA(c.frame, 0, 0);
        EXPECT_FLOAT_EQ(targetA()[0].x, c.x) << "frame " << c.frame;
        EXPECT_FLOAT_EQ(targetA()[3].y, 3.0f);
    }
}

TEST_F(MorphTest, WeightSignChoosesTheSet) {
    struct Case {
        float weightA, weightB;
        float x;  // at frame 2
    };
    const Case cases[] = {
        {-0.5f, 0, 1102 + (1202 - 1102) * 0.5f},  // toward morph2
        {2.0f, 0, 1302},                          // fully toward morph3
        {0.25f, 0, 1102 + (1302 - 1102) * 0.25f},
        {0, -1.0f, 1402},                         // fully toward morph4
        {0, 0.5f, 1102 + (1502 - 1102) * 0.5f},   // half toward morph5
        {1.0f, 0.5f, 1302 + (1502 - 1302) * 0.5f},  // B applied after A
    };
    for (const Case& c : cases) {
        morphMeshFramesB(2.0f, c.weightA, c.weightB);
        EXPECT_FLOAT_EQ(targetB()[1].x, c.x) << c.weightA << ", " << c.weightB;
    }
}

TEST_F(MorphTest, ZeroWeightsDoNotReadTheBlendSets) {
    for (int place = 12; place <= 15; ++place)
        for (int f = 0; f < 10; ++f) {
            // Unreadable frames: any access would crash.
            std::free(demo.SceneBank[place].objects[f].baseVertices);
            demo.SceneBank[place].objects[f].baseVertices = nullptr;
        }
    morphMeshFramesA(4.5f, 0, 0);
    morphMeshFramesA(4.5f, -0.0f, 0);
    EXPECT_FLOAT_EQ(targetA()[2].x, 1104.5f);
}

TEST_F(MorphTest, SmallFrameIsReportedAndNeverReadPast) {
    EXPECT_EQ(checkMorphFrames(), 1);
    SceneObject* frame3 = &demo.SceneBank[11].objects[3];
    frame3->vertexCount = 2;
    {
        ErrorCapture errors;
        EXPECT_EQ(checkMorphFrames(), 0);
        ASSERT_EQ(errors.texts.size(), 1u);
        EXPECT_TRUE(errors.contains("place 11 object 3")) << errors.texts[0];
        EXPECT_TRUE(errors.contains("data\\morph1.dat")) << errors.texts[0];
    }
    morphMeshFramesA(0.0f, 0, 0);  // frames 0 and 1: everything written
    morphMeshFramesA(3.5f, 0, 0);  // frames 3 and 4: only what frame 3 has
    EXPECT_FLOAT_EQ(targetA()[1].x, 1103.5f);
    EXPECT_FLOAT_EQ(targetA()[2].x, 1100.0f);
    EXPECT_FLOAT_EQ(targetA()[3].x, 1100.0f);
    frame3->vertexCount = 4;
}

TEST_F(MorphTest, MissingFramesOrTargetAreReported) {
    ErrorCapture errors;
    demo.SceneBank[14].objectCount = 9;
    EXPECT_EQ(checkMorphFrames(), 0);
    EXPECT_TRUE(errors.contains("place 14")) << (errors.texts.empty() ? "" : errors.texts[0]);
    demo.SceneBank[14].objectCount = 10;
    demo.SceneBank[20].objectCount = 0;
    EXPECT_EQ(checkMorphFrames(), 0);
    EXPECT_TRUE(errors.contains("data\\mirror.dat: morph target missing: place 20 has no object 0 "
                                "(the file holds 0 objects)"))
        << errors.texts.back();
    morphMeshFramesB(1.0f, 0, 0);  // no target: nothing happens
    demo.SceneBank[20].objectCount = 1;
}

}  // namespace
