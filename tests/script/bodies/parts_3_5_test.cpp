#include <cmath>

#include "body_fixture.h"
#include "scene/scene.h"
#include "scene/texture_slot.h"
#include "script/places.h"
#include "state/demo_state.h"
#include "state/gentle_mode.h"

// The shots fade in and out: at each part time, the fades drawn, in order.
struct FadesAt {
    float pt;
    std::vector<float> fades;
};
template <typename Body>
class Part5Shots : public Body {
protected:
    static void expectFades(std::initializer_list<FadesAt> rows) {
        for (const FadesAt& row : rows) {
            Body::runAt(5, row.pt);
            const std::vector<DrawCall> fades = Body::calls("fadeScreen");
            ASSERT_EQ(fades.size(), row.fades.size()) << "pt " << row.pt;
            for (size_t i = 0; i < fades.size(); ++i)
                EXPECT_NEAR(fades[i].args[0], row.fades[i], 1e-3) << "pt " << row.pt;
        }
    }
};

using Part3 = PartBody;
using Part4 = PartBody;
using Part5 = Part5Shots<PartBody>;

TEST_F(Part3, SceneTimeLoopsEvery250Units) {
    expectSceneTimes(3, 1, {{100, 50}, {500, 250}, {500.2f, 0.1f}, {800, 150}});
    EXPECT_EQ(only("renderScene", 1).sceneWarpEnabled, 1);
    EXPECT_EQ(only("renderScene", 1).cullFarZ, -30000);
    EXPECT_EQ(demo.TextureTable[25].wireLevel, 0.5f);
}

TEST_F(Part3, SlideAndBreathWeights) {
    struct Row {
        float pt, slide, breath;
    };
    for (Row row : {Row{50, 1, 0.5f}, Row{150, 0.5f, 1}, Row{300, 0, 1}, Row{450, 0.5f, 0.5f},
                    Row{600, 1, 0}}) {
        runAt(3, row.pt);
        EXPECT_NEAR(only("drawGridOffsetMultiply", 31).args[xArg], -row.slide, 1e-5);
        EXPECT_NEAR(only("drawGridOffset", 30).args[xArg], -row.slide, 1e-5);
        EXPECT_NEAR(only("drawGridScaled", 39).args[brightnessArg], row.breath * 0.6f, 1e-5);
        EXPECT_NEAR(only("drawGridScaled", 50).args[brightnessArg], row.breath * 0.3f, 1e-5);
    }
    // The multiplied mask goes first so the picture lands on it.
    runAt(3, 150);
    EXPECT_EQ(recorder::calls()[1].target, 31);
    EXPECT_EQ(recorder::calls()[2].target, 30);
}

TEST_F(Part3, GreetingsAppearAfter460AndTheEndFades) {
    runAt(3, 460);
    EXPECT_TRUE(calls("drawGridOffset", 32).empty());
    runAt(3, 560);
    DrawCall greetings = only("drawGridOffset", 32);
    EXPECT_NEAR(greetings.args[brightnessArg], 0.25f, 1e-5);
    EXPECT_NEAR(greetings.args[yArg], std::cos(560 * 0.005) * 0.25, 1e-5);
    EXPECT_NEAR(greetings.args[timeArg], tt() * 0.2f, 1e-3);
    runAt(3, 895);
    EXPECT_NEAR(only("fadeScreen").args[0], 0.05f, 1e-4);
    runAt(3, 400);
    EXPECT_TRUE(calls("fadeScreen").empty());
}

TEST_F(Part4, TextJumpsInFromFiveJustAfter100) {
    struct Row {
        float pt, n;
    };
    for (Row row : {Row{100, 3}, Row{100.01f, 5}, Row{200, 3}, Row{350, 0}, Row{500, -3}}) {
        runAt(4, row.pt);
        EXPECT_NEAR(only("drawGridOffset", 42).args[xArg], row.n, 1e-3) << "pt " << row.pt;
        EXPECT_NEAR(only("drawGridOffset", 43).args[xArg], row.n * 1.5f, 1e-3)
            << "pt " << row.pt;
    }
}

TEST_F(Part4, BirdLayersSlideOutAndBack) {
    struct Row {
        float pt, m;
    };
    for (Row row : {Row{50, 1.2f}, Row{150, 1.2f - 50 / 83.0f}, Row{210, 0}, Row{250, 0},
                    Row{350, 50 / 83.0f}, Row{399, 99 / 83.0f}, Row{400, 1.2f}}) {
        runAt(4, row.pt);
        EXPECT_NEAR(only("drawGridOffsetMultiply", 40).args[xArg], row.m, 1e-4)
            << "pt " << row.pt;
        EXPECT_NEAR(only("drawGridOffset", 41).args[xArg], row.m, 1e-4) << "pt " << row.pt;
    }
}

TEST_F(Part4, ReplaysTheDarmSceneWithoutHeads) {
    demo.SceneBank[5].particleSystems[1].count = 5;
    demo.sceneWarpEnabled = 1;
    runAt(4, 25);
    EXPECT_EQ(demo.SceneBank[5].particleSystems[1].count, 0);
    DrawCall render = only("renderScene", 5);
    EXPECT_FLOAT_EQ(render.args[0], 750);
    EXPECT_EQ(render.sceneWarpEnabled, 0);
    EXPECT_NEAR(demo.TextureTable[40].wireLevel, std::sin(25 * 0.06283185307179587) * 0.3 + 0.6,
                1e-5);
    EXPECT_NEAR(only("flashScreen").args[0], 0.5f, 1e-5);
    EXPECT_EQ(recorder::names().back(), "flashScreen");
    runAt(4, 910);
    EXPECT_EQ(only("fadeScreen").args[0], 0);  // clamped, not negative
}

TEST_F(Part5, ShotBoundaryAt460) {
    runAt(5, 460);
    EXPECT_NEAR(only("renderScene", 2).args[0], 1315, 1e-3);
    EXPECT_EQ(calls("drawGridScaled", 51).size(), 1u);

    runAt(5, 460.01f);
    EXPECT_TRUE(calls("renderScene").empty());
    EXPECT_TRUE(calls("drawGridScaled", 51).empty());
    EXPECT_TRUE(calls("drawGridOffset").empty());
    EXPECT_EQ(only("drawGridScaled", 35).args[brightnessArg], 1);
    EXPECT_LT(only("fadeScreen").args[0], 0.001f);
}

TEST_F(Part5, SceneTimeOfEachShot) {
    expectSceneTimes(5, 2, {{100, 100}, {200, 415}, {300, 320}, {400, 1255}, {600, 337.5f},
                            {700, 1295}, {900, 545}});
}

TEST_F(Part5, OddShotsRunTheWaveTheOtherWay) {
    struct Row {
        float pt;
        int shot;
    };
    for (Row row : {Row{100, 0}, Row{200, 1}, Row{300, 2}, Row{400, 3}, Row{600, 5},
                    Row{700, 6}, Row{900, 7}}) {
        runAt(5, row.pt);
        const float wave = std::sin(row.pt * 0.005f) * (row.shot % 2 ? -1 : 1);
        std::vector<DrawCall> text = calls("drawGridOffset", 52);
        ASSERT_EQ(text.size(), 2u);
        EXPECT_NEAR(text[0].args[yArg], wave, 1e-5) << "pt " << row.pt;
        EXPECT_NEAR(text[1].args[yArg], wave * 0.8f + 0.4f, 1e-5) << "pt " << row.pt;
        // The scaled layers breathe the same way in every shot.
        EXPECT_NEAR(only("drawGridScaled", 51).args[yArg], std::sin(row.pt * 0.005f) * 0.1f + 1,
                    1e-5);
    }
}

TEST_F(Part5, ShotsFadeInAndOut) {
    expectFades({{10, {0.2f}}, {60, {}}, {114, {0.2f}}, {470, {0.2f}}, {575, {0.25f}},
                 {930, {0.2f}}, {1250, {0.5f}}, {1300, {0}}});
    runAt(5, 1350);
    EXPECT_LE(only("fadeScreen").args[0], 0);
    EXPECT_EQ(only("drawGridScaled", 34).args[brightnessArg], 1);
}

// Gentle play: the darm scene at its own pace in part 4, part 5's shots
// closing over their last 15 units; everything else as in plain play.
class GentleBody : public PartBody {
protected:
    void SetUp() override {
        PartBody::SetUp();
        gentleMode.on = true;
    }
    void TearDown() override { gentleMode.on = false; }
};
using GentlePart4 = GentleBody;
using GentlePart5 = Part5Shots<GentleBody>;

TEST_F(GentlePart4, ReplaysTheDarmSceneAtItsOwnPace) {
    expectSceneTimes(4, 5, {{25, 725}, {500, 1200}, {910, 1610}});
    runAt(4, 25);
    EXPECT_NEAR(only("flashScreen").args[0], 0.5f, 1e-5);  // fx softens it
}

// The artery's wall and its two clouds of blood cells: drawn from the
// tempered twins in gentle play, where they loaded; from the plain pictures
// otherwise, and back again.
TEST_F(GentlePart5, TheArteryComesFromItsTemperedTwins) {
    Scene& aterie = demo.SceneBank[ateriePlace];
    SceneObject objects[2] = {};
    objects[0].textureIndex = 31;
    objects[1].textureIndex = 5;  // not the wall: left alone
    aterie.objects = objects;
    aterie.objectCount = 2;
    aterie.particleSystemCount = 2;
    struct Row {
        bool gentle;
        unsigned twinTextures;
        int wall, blood;
    };
    for (const Row& row : {Row{true, 7, temperedWallSlot, temperedBloodSlot}, Row{true, 0, 31, 32},
                           Row{true, 7, temperedWallSlot, temperedBloodSlot}, Row{false, 7, 31, 32}}) {
        gentleMode.on = row.gentle;
        demo.TextureTable[temperedWallSlot].glTexture = row.twinTextures;
        demo.TextureTable[temperedBloodSlot].glTexture = row.twinTextures;
        runAt(5, 400);
        SCOPED_TRACE(testing::Message() << row.gentle << " " << row.twinTextures);
        EXPECT_EQ(objects[0].textureIndex, row.wall);
        EXPECT_EQ(objects[1].textureIndex, 5);
        EXPECT_EQ(aterie.particleSystems[0].texture, &demo.TextureTable[row.blood]);
        EXPECT_EQ(aterie.particleSystems[1].texture, &demo.TextureTable[row.blood]);
    }
    aterie.objects = nullptr;
    aterie.objectCount = 0;
    aterie.particleSystemCount = 0;
}

TEST_F(GentlePart5, ShotsCloseOverFifteenUnits) {
    expectFades({{10, {0.2f}}, {100, {}}, {104, {0.7333f}}, {114, {0.0667f}}, {575, {0.25f}},
                 {919, {0.0667f}}, {1250, {0.5f}}});
    expectSceneTimes(5, 2, {{100, 100}, {400, 1255}});
}
