#include "body_fixture.h"
#include "state/demo_state.h"

// What each part writes into the scene-wide switches (a part that does not
// write one keeps the sentinel put there before it runs).
TEST_F(PartBody, SwitchWritesOfEveryPart) {
    const int keep = -7;
    struct Row {
        int part;
        float pt;
        int warp, noFog;
        float farZ, brightness;
    };
    const Row rows[] = {
        {0, 10, 0, keep, -1800, 1},        {1, 300, 0, keep, -1800, 1},
        {2, 30, 0, 0, -100800, 1},         {3, 300, 1, 0, -30000, keep},
        {4, 300, 0, keep, -1800, 1},       {5, 300, 0, keep, -1800, 1},
        {6, 300, 0, 1, keep, keep},        {7, 300, 0, 0, keep, keep},
        {8, 300, keep, keep, keep, keep},
    };
    for (const Row& row : rows) {
        demo.sceneWarpEnabled = keep;
        demo.transparentNoFog = keep;
        demo.cullFarZ = keep;
        demo.sceneBrightness = keep;
        runAt(row.part, row.pt);
        EXPECT_EQ(demo.sceneWarpEnabled, row.warp) << "part " << row.part;
        EXPECT_EQ(demo.transparentNoFog, row.noFog) << "part " << row.part;
        EXPECT_EQ(demo.cullFarZ, row.farZ) << "part " << row.part;
        EXPECT_EQ(demo.sceneBrightness, row.brightness) << "part " << row.part;
    }
}
