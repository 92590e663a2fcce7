#include <cmath>

#include "body_fixture.h"
#include "image/image.h"
#include "scene/scene.h"
#include "state/demo_state.h"

using Part6 = PartBody;
using Part7 = PartBody;
using Part8 = PartBody;

namespace {

// Stand-ins for the loaded water: the bodies only pass them on.
Image canvas = {128, 128, nullptr};
int32_t texels[1];
uint16_t offsets[1];

void provideWater() {
    demo.waterCanvas = &canvas;
    demo.surfaceTexelTable = texels;
    demo.waterOffsetTable = offsets;
}

}  // namespace

TEST_F(Part6, CutTimeAndMorphBlend) {
    struct Row {
        float pt, sceneTime, blend;
    };
    for (Row row : {Row{115, 165, 0.675f}, Row{115.01f, 750.01f, 0}, Row{130, 765, 0},
                    Row{0, 50, 0.5f}, Row{300, 520, -0.9f}, Row{950, 855, 0.55f}}) {
        runAt(6, row.pt);
        EXPECT_NEAR(only("renderScene", 10).args[0], row.sceneTime, 2e-3) << "pt " << row.pt;
        DrawCall morph = only("morphMeshFramesA");
        EXPECT_NEAR(morph.args[0], row.sceneTime * 0.2f, 1e-3) << "pt " << row.pt;
        EXPECT_NEAR(morph.args[1], row.blend, 1e-4) << "pt " << row.pt;
        EXPECT_EQ(morph.args[2], 0);
    }
}

TEST_F(Part6, WaterIsRegeneratedBeforeTheScene) {
    provideWater();
    runAt(6, 200);
    EXPECT_EQ(recorder::names(),
              (std::vector<std::string>{"generateWaterTexture", "uploadImageToTexture",
                                        "morphMeshFramesA", "renderScene"}));
    EXPECT_FLOAT_EQ(only("generateWaterTexture").args[0], 100);
    EXPECT_EQ(only("generateWaterTexture").pointers[0], &canvas);
    EXPECT_EQ(only("uploadImageToTexture").target, 63);
    EXPECT_EQ(only("uploadImageToTexture").pointers[0], &canvas);
    EXPECT_EQ(only("renderScene").transparentNoFog, 1);
}

// Played unseen, the frames make no water picture, which only drawing reads,
// but still send the upload: its texture binding is state the next frames see.
TEST_F(Part6, FramesPlayedUnseenMakeNoWaterPicture) {
    provideWater();
    recorder::playUnseen(true);
    runAt(6, 200);
    EXPECT_EQ(recorder::names(), (std::vector<std::string>{"uploadImageToTexture",
                                                           "morphMeshFramesA", "renderScene"}));
    recorder::clear();
    runAt(7, 100);
    EXPECT_TRUE(calls("generateWaterTextureTransposed").empty());
    EXPECT_EQ(only("uploadImageToTexture").target, 81);
    recorder::playUnseen(false);
}

TEST_F(Part6, WithoutWaterPicturesTheWaterIsSkipped) {
    provideWater();
    for (int missing = 0; missing < 3; ++missing) {
        provideWater();
        if (missing == 0) demo.waterCanvas = nullptr;
        if (missing == 1) demo.surfaceTexelTable = nullptr;
        if (missing == 2) demo.waterOffsetTable = nullptr;
        runAt(6, 200);
        EXPECT_TRUE(calls("generateWaterTexture").empty());
        EXPECT_TRUE(calls("uploadImageToTexture").empty());
        EXPECT_EQ(calls("renderScene", 10).size(), 1u);
    }
}

TEST_F(Part6, FlashOpensAndFadeCloses) {
    runAt(6, 10);
    EXPECT_NEAR(only("flashScreen").args[0], 0.8f, 1e-5);
    EXPECT_TRUE(calls("fadeScreen").empty());
    runAt(6, 885);
    EXPECT_NEAR(only("fadeScreen").args[0], 0.5f, 1e-4);
    runAt(6, 920);
    EXPECT_NEAR(only("fadeScreen").args[0], 0, 1e-4);
}

TEST_F(Part7, MirrorIsRebuiltBeforeTheSceneIsDrawn) {
    provideWater();
    static SceneObject objects[3];
    demo.SceneBank[20].objects = objects;
    demo.SceneBank[20].objectCount = 3;
    demo.transparentNoFog = 1;
    runAt(7, 100);
    std::vector<std::string> names = recorder::names();
    names.resize(5);
    EXPECT_EQ(names, (std::vector<std::string>{"generateWaterTextureTransposed",
                                               "uploadImageToTexture", "morphMeshFramesB",
                                               "mirrorRippleVertices", "renderScene"}));
    EXPECT_FLOAT_EQ(only("generateWaterTextureTransposed").args[0], 50);
    EXPECT_EQ(only("uploadImageToTexture").target, 81);
    DrawCall morph = only("morphMeshFramesB");
    EXPECT_FLOAT_EQ(morph.args[0], 20);
    EXPECT_EQ(morph.args[1], 0);
    DrawCall mirror = only("mirrorRippleVertices");
    EXPECT_EQ(mirror.pointers[0], &objects[2]);
    EXPECT_EQ(mirror.pointers[1], &objects[0]);
    EXPECT_FLOAT_EQ(mirror.args[0], 100);
    EXPECT_FLOAT_EQ(only("renderScene", 20).args[0], 100);
    EXPECT_EQ(only("renderScene", 20).transparentNoFog, 0);
}

TEST_F(Part7, FireLayersSlideInAndOut) {
    struct Row {
        float pt, v;
    };
    for (Row row : {Row{200, 1}, Row{225, 0.5f}, Row{300, 0}, Row{375, 0.5f}, Row{450, 1}}) {
        runAt(7, row.pt);
        EXPECT_NEAR(only("drawGridOffsetMultiply", 44).args[xArg], row.v, 1e-4)
            << "pt " << row.pt;
        EXPECT_NEAR(only("drawGridOffset", 45).args[xArg], row.v, 1e-4) << "pt " << row.pt;
    }
}

TEST_F(Part7, TextSlidesAndTheCurtainCloses) {
    runAt(7, 400);
    EXPECT_NEAR(only("drawGridOffset", 46).args[xArg], 1, 1e-4);
    EXPECT_NEAR(only("drawGridOffset", 47).args[xArg], 1.5f, 1e-4);
    EXPECT_NEAR(only("drawGridOffset", 48).args[xArg], -2.5f, 1e-4);
    EXPECT_TRUE(calls("drawGridOffsetMultiply", 27).empty());

    runAt(7, 540);
    EXPECT_NEAR(only("drawGridOffsetMultiply", 27).args[yArg], -1, 1e-4);
    EXPECT_NEAR(only("drawGridOffsetMultiply", 28).args[yArg], 1, 1e-4);
    runAt(7, 580.5f);
    EXPECT_EQ(only("drawGridOffsetMultiply", 28).args[yArg], 0);
}

TEST_F(Part8, KopuliLoopsEvery200Units) {
    expectSceneTimes(8, 6, {{199.9f, 199.9f}, {200, 0}, {350, 150}});
}

TEST_F(Part8, LeavesTheSwitchesAndEndsInBlack) {
    demo.sceneWarpEnabled = 1;
    demo.transparentNoFog = 1;
    demo.cullFarZ = -5;
    demo.sceneBrightness = 0.25f;
    runAt(8, 300);
    EXPECT_EQ(demo.sceneWarpEnabled, 1);
    EXPECT_EQ(demo.transparentNoFog, 1);
    EXPECT_EQ(demo.cullFarZ, -5);
    EXPECT_EQ(demo.sceneBrightness, 0.25f);
    EXPECT_NEAR(only("fadeScreen").args[0], 0.5f, 1e-4);
    EXPECT_EQ(only("flashScreen").args[0], 0);
    const float a = std::sin(3.0f) * 0.2f;
    EXPECT_NEAR(only("drawGridScaled", 54).args[xArg], a + 1, 1e-5);
    EXPECT_NEAR(only("drawGridScaled", 55).args[xArg], 1 - a, 1e-5);

    runAt(8, 30);
    EXPECT_NEAR(only("flashScreen").args[0], 0.2f, 1e-5);
    EXPECT_EQ(only("fadeScreen").args[0], 1);
    EXPECT_EQ(recorder::names().back(), "fadeScreen");
}
