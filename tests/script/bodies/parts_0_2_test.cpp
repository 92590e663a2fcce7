#include <cmath>

#include "body_fixture.h"
#include "scene/scene.h"
#include "script/places.h"
#include "state/demo_state.h"

using Part0 = PartBody;
using Part1 = PartBody;
using Part2 = PartBody;

TEST_F(Part0, DriftLayersFadeOutBetweenMs1000And13000) {
    struct Row {
        int ms;
        float fade;
    };
    for (Row row : {Row{1000, 1}, Row{10000, 1}, Row{11500, 0.5f}, Row{13000, 0},
                    Row{13200, 0}}) {
        runAtMs(0, row.ms);
        for (int layer : {4, 5, 6, 3})
            EXPECT_NEAR(only("drawGridScaled", layer).args[brightnessArg], row.fade, 1e-5)
                << "ms " << row.ms << " layer " << layer;
        // The logo itself stays at full strength.
        EXPECT_EQ(only("drawGridScaled", 0).args[brightnessArg], 1);
    }
}

TEST_F(Part0, DrawsTheTitleInOrderAndFadesInFromBlack) {
    runAtMs(0, 1000);
    std::vector<int> layers;
    for (const DrawCall& call : recorder::calls())
        if (call.name != "fadeScreen") layers.push_back(call.target);
    EXPECT_EQ(layers, (std::vector<int>{2, 7, 4, 5, 6, 3, 1, 0}));
    EXPECT_EQ(recorder::calls()[6].name, "drawGridScaledMultiply");
    EXPECT_NEAR(only("drawGridScaled", 4).args[timeArg], 35 * 0.33333334f + 50, 1e-4);
    EXPECT_NEAR(only("drawGridScaled", 7).args[timeArg], tt() * 1.5f, 1e-4);
    EXPECT_NEAR(only("fadeScreen").args[0], 0.35f, 1e-5);
    EXPECT_EQ(recorder::names().back(), "fadeScreen");

    runAtMs(0, 3000);  // pt 105: the fade-in is over
    EXPECT_TRUE(calls("fadeScreen").empty());
}

TEST_F(Part1, CutBoundaryKeepsTheEarlierCut) {
    runAt(1, 115);
    EXPECT_FLOAT_EQ(only("renderScene", 0).args[0], 215);
    EXPECT_FLOAT_EQ(only("flashScreen").args[0], 0);

    runAt(1, 115.01f);
    EXPECT_NEAR(only("renderScene", 0).args[0], 550.01f, 1e-3);
    EXPECT_NEAR(only("flashScreen").args[0], 0.5f, 1e-3);
    EXPECT_LT(only("flashScreen").args[0], 0.5f);
}

TEST_F(Part1, SceneTimeRunsBackwardsInCutsTwoFiveAndSeven) {
    expectSceneTimes(1, 0, {{300, 330}, {600, 420}, {850, 230}, {1000, 905}});
}

TEST_F(Part1, FlareBlinksWithTheSceneTime) {
    struct Row {
        float pt;  // cut 0 below 115 (t = pt + 100), cut 4 from 460 (t = pt - 260)
        int fadeDir;
    };
    for (Row row : {Row{30, 1}, Row{30.01f, 0}, Row{60, 0}, Row{61, 1}, Row{100, 1}, Row{490, 1},
                    Row{495, 0}, Row{520, 0}, Row{525, 1}}) {
        demo.SceneBank[0].flareSets[0].fadeDir = 7;
        runAt(1, row.pt);
        EXPECT_EQ(demo.SceneBank[0].flareSets[0].fadeDir, row.fadeDir) << "pt " << row.pt;
    }
}

// A flare file or swarm that did not load leaves nothing for the bodies to
// steer: they draw on without it.
TEST_F(Part1, WithoutTheFlaresAndSwarmsTheBodiesSteerTheyDrawOn) {
    for (Scene* s : {&demo.SceneBank[lightPlace], &demo.SceneBank[darmPlace]}) {
        s->flareSets = nullptr;
        s->flareSetCount = 0;
        s->particleSystems = nullptr;
        s->particleSystemCount = 0;
    }
    for (int part : {1, 2, 4}) {
        runAt(part, 100);
        EXPECT_FALSE(calls("renderScene").empty()) << part;
    }
}

TEST_F(Part1, TextLayersOnlyInCutsTwoAndFive) {
    runAt(1, 240);  // cut 2, 10 units in: weight 0.5, flash 0.5
    EXPECT_NEAR(only("drawGridScaled", 37).args[brightnessArg], 0.25f, 1e-4);
    EXPECT_NEAR(only("drawGridScaled", 38).args[brightnessArg], 0.1f, 1e-4);
    EXPECT_NEAR(only("drawGridScaled", 37).args[yArg], 1.5f, 1e-4);
    runAt(1, 340);  // cut 2 near its end: weight falls after 95
    EXPECT_NEAR(only("drawGridScaled", 37).args[brightnessArg], 0.125f, 1e-3);
    runAt(1, 400);  // cut 3
    EXPECT_TRUE(calls("drawGridScaled", 37).empty());
}

TEST_F(Part1, ClosingTransitionDarkensFromTheNextFrame) {
    demo.sceneBrightness = 1;
    runAt(1, 1150);
    EXPECT_FLOAT_EQ(only("renderScene", 0).sceneBrightness, 1);
    EXPECT_NEAR(demo.sceneBrightness, 0.5f, 1e-5);
    const float w = float(std::cos(0.75 * M_PI) * 4 + 5);
    for (int layer : {10, 12}) {
        DrawCall call = only("drawGridScaled", layer);
        EXPECT_NEAR(call.args[brightnessArg], 0.5f, 1e-5);
        EXPECT_NEAR(call.args[xArg], w, 1e-4);
        EXPECT_NEAR(call.args[yArg], w, 1e-4);
    }
    EXPECT_NEAR(only("drawGridScaledMultiply", 11).args[xArg], 2.1716f, 1e-3);

    runAt(1, 1150.5f);
    EXPECT_NEAR(only("renderScene", 0).sceneBrightness, 0.5f, 1e-5);

    runAt(1, 1300);  // the transition is over: no scene brightness left, built size
    EXPECT_EQ(demo.sceneBrightness, 0);
    EXPECT_NEAR(only("drawGridScaled", 10).args[xArg], 1, 1e-5);
    runAt(1, 500);  // before it: the picture layers are drawn dark at five times size
    EXPECT_EQ(demo.sceneBrightness, 1);
    EXPECT_EQ(only("drawGridScaled", 10).args[brightnessArg], 0);
    EXPECT_NEAR(only("drawGridScaled", 10).args[xArg], 5, 1e-5);
}

TEST_F(Part1, TitleCrossFadesOutOverItsFirst1500Ms) {
    runAtMs(1, 750);
    const float v = 0.5f;
    EXPECT_NEAR(only("drawGridScaled", 2).args[brightnessArg], v * 0.5f, 1e-5);
    EXPECT_NEAR(only("drawGridScaledMultiply", 1).args[yArg], v * v * v, 1e-5);
    DrawCall logo = only("drawGridScaled", 0);
    EXPECT_NEAR(logo.args[brightnessArg], v, 1e-5);
    EXPECT_NEAR(logo.args[xArg], v, 1e-5);
    EXPECT_EQ(recorder::calls().back().target, 0);
    runAtMs(1, 1500);
    EXPECT_TRUE(calls("drawGridScaled", 0).empty());
}

TEST_F(Part2, HeadsAppearOneAtATimeAndNeverExceedFive) {
    struct Row {
        float pt;
        int heads;
    };
    for (Row row : {Row{10, 0}, Row{163, 0}, Row{270, 1}, Row{290, 2}, Row{625, 5},
                    Row{976, 5}}) {
        demo.SceneBank[5].particleSystems[1].count = 99;
        runAt(2, row.pt);
        EXPECT_EQ(demo.SceneBank[5].particleSystems[1].count, row.heads) << "pt " << row.pt;
        EXPECT_NEAR(only("renderScene", 5).args[0], row.pt * 0.5f, 1e-3);
        EXPECT_EQ(only("renderScene", 5).sceneBrightness, 1);
    }
}

TEST_F(Part2, LightSceneTailShowsThroughOpeningCells) {
    runAt(2, 30);
    std::vector<std::string> expected = {"renderScene",     "drawGridScaled", "fadeScreen",
                                         "maskScreenCells", "renderScene",    "drawGridOffset"};
    std::vector<std::string> got = recorder::names();
    got.resize(expected.size());
    EXPECT_EQ(got, expected);
    DrawCall tail = recorder::calls()[0];
    EXPECT_EQ(tail.target, 0);
    EXPECT_FLOAT_EQ(tail.args[0], 1030);
    EXPECT_EQ(tail.sceneBrightness, 0);
    EXPECT_EQ(tail.cullFarZ, -100800);
    EXPECT_NEAR(only("fadeScreen").args[0], 0.4f, 1e-5);
    EXPECT_EQ(only("maskScreenCells").args[0], 6);

    runAt(2, 50);
    EXPECT_TRUE(calls("renderScene", 0).empty());
    EXPECT_TRUE(calls("maskScreenCells").empty());
}

TEST_F(Part2, BeatDropsFromTwoToOneEvery114Units) {
    runAt(2, 507);
    EXPECT_TRUE(calls("drawGridScaled", 22).empty());
    EXPECT_TRUE(calls("drawGridScaledMultiply", 21).empty());

    struct Row {
        float pt, beat;
    };
    for (Row row : {Row{508, 2 - 1 / 15.0f}, Row{507.5f, 2}, Row{523, 1}, Row{600, 1},
                    Row{621.5f, 2}, Row{624, 2 - 3 / 15.0f}}) {
        runAt(2, row.pt);
        EXPECT_NEAR(only("drawGridScaledMultiply", 21).args[yArg], row.beat, 1e-5)
            << "pt " << row.pt;
        EXPECT_NEAR(only("drawGridScaled", 22).args[yArg], row.beat, 1e-5) << "pt " << row.pt;
    }
    runAt(2, 620);
    EXPECT_NEAR(only("drawGridOffset", 24).args[xArg], 1.5f, 1e-5);
    EXPECT_NEAR(only("drawGridOffset", 25).args[xArg], -1.5f, 1e-5);
}

TEST_F(Part2, BandsRiseAndTheCurtainCloses) {
    runAt(2, 150);
    std::vector<DrawCall> bands = calls("drawGridOffset", 26);
    ASSERT_EQ(bands.size(), 3u);
    const float q = (150 - 520) * 0.0025f;
    EXPECT_NEAR(bands[0].args[brightnessArg], 0.5f * 0.4f, 1e-5);
    EXPECT_NEAR(bands[0].args[yArg], q, 1e-5);
    EXPECT_NEAR(bands[1].args[yArg], 2 - q, 1e-5);
    EXPECT_NEAR(bands[2].args[yArg], q * 0.7f - 2, 1e-5);
    EXPECT_NEAR(bands[2].args[xArg], 0.3f, 1e-6);
    EXPECT_TRUE(calls("drawGridOffsetMultiply").empty());

    runAt(2, 950);
    EXPECT_NEAR(only("drawGridOffsetMultiply", 27).args[yArg], -1, 1e-4);
    EXPECT_NEAR(only("drawGridOffsetMultiply", 28).args[yArg], 1, 1e-4);
    EXPECT_EQ(recorder::calls().back().target, 28);
    runAt(2, 976);
    EXPECT_NEAR(only("drawGridOffsetMultiply", 28).args[yArg], 0.35f, 1e-4);
}
