#include <gtest/gtest.h>

#include "script/frame_loop.h"
#include "script/parts.h"
#include "script/timeline.h"
#include "state/demo_state.h"

TEST(Timeline, PartBoundariesBelongToTheEarlierPart) {
    struct Case {
        int32_t elapsed;
        int part;
        int32_t partMs;
    };
    const Case cases[] = {{0, 0, 0},          {13200, 0, 13200},   {13201, 1, 1},
                          {54300, 1, 41100},  {54301, 2, 1},       {173001, 6, 1},
                          {228000, 8, 10700}, {228001, 9, 1},      {240000, 9, 12000},
                          {240001, 10, 0},    {-5, 0, -5}};
    for (const Case& c : cases) {
        updateDemoClock(uint32_t(c.elapsed), uint32_t(c.elapsed), 0);
        EXPECT_EQ(partIndexForElapsed(c.elapsed), c.part) << c.elapsed;
        if (c.part < partCount) {
            EXPECT_EQ(demo.partMs, c.partMs) << c.elapsed;
        }
    }
}

// A row added by hand: its set-up runs only with a place in the loading order,
// and only the tail after the last part that draws has no body.
TEST(Timeline, EverySetUpHasItsPlaceInTheOrderAndOnlyTheTailDrawsNothing) {
    for (int part = 0; part < partCount; ++part) {
        const PartRow& row = partTable[part];
        EXPECT_EQ(row.setup != nullptr, row.setupOrder >= 0) << part;
        EXPECT_EQ(row.body == nullptr, part == lastPlayedPart + 1) << part;
    }
}

TEST(Timeline, CutSelectionUsesAtMostTests) {
    float c = -1;
    EXPECT_EQ(selectCut(cutListA, 11, 0, &c), 0);
    EXPECT_EQ(selectCut(cutListA, 11, 115, &c), 0);
    EXPECT_FLOAT_EQ(c, 115);
    EXPECT_EQ(selectCut(cutListA, 11, 115.01f, &c), 1);
    EXPECT_NEAR(c, 0.01f, 1e-4);
    EXPECT_EQ(selectCut(cutListA, 11, 230, &c), 1);
    EXPECT_EQ(selectCut(cutListA, 11, 1438.5f, &c), 8);
    EXPECT_FLOAT_EQ(c, 1438.5f - 915);
    EXPECT_EQ(selectCut(cutListB, 11, 460, &c), 3);
    EXPECT_EQ(selectCut(cutListB, 11, 460.01f, &c), 4);
    EXPECT_EQ(selectCut(cutListB, 11, 1365, &c), 8);
}

TEST(DemoClock, ValuesFromOneReading) {
    // 1000 ms into the music, 100 ms after the previous frame.
    EXPECT_EQ(updateDemoClock(6000, 5900, 5000), 0);
    EXPECT_FLOAT_EQ(demo.DemoClock.totalTime, 35.0f);
    EXPECT_FLOAT_EQ(demo.DemoClock.partTime, 35.0f);
    EXPECT_FLOAT_EQ(demo.DemoClock.frameStep, 1.5f);
    // totalTime keeps growing across part boundaries, partTime restarts.
    EXPECT_EQ(updateDemoClock(5000 + 13201, 5000 + 13200, 5000), 1);
    EXPECT_FLOAT_EQ(demo.DemoClock.totalTime, float(13201 * 0.035));
    EXPECT_FLOAT_EQ(demo.DemoClock.partTime, 0.035f);
    // Two frames in the same millisecond do not move anything.
    updateDemoClock(7000, 7000, 5000);
    EXPECT_FLOAT_EQ(demo.DemoClock.frameStep, 0.0f);
}

TEST(DemoClock, SurvivesATimerWrapAround) {
    const uint32_t start = 0xFFFFFF00u;
    const uint32_t now = 0x00000100u;  // 512 ms later, after the wrap
    EXPECT_EQ(updateDemoClock(now, 0xFFFFFFF0u, start), 0);
    EXPECT_FLOAT_EQ(demo.DemoClock.totalTime, float(512 * 0.035));
    EXPECT_FLOAT_EQ(demo.DemoClock.frameStep, float(272 * 0.015));
}

TEST(Timeline, ClearColours) {
    float c[4];
    for (int part = 0; part <= partCount; ++part) {
        partClearColour(part, c);
        if (part == 6) {
            EXPECT_FLOAT_EQ(c[0], 0.1f);
            EXPECT_FLOAT_EQ(c[1], 0.1f);
            EXPECT_FLOAT_EQ(c[2], 0.2f);
            EXPECT_FLOAT_EQ(c[3], 0.2f);
        } else {
            EXPECT_EQ(c[0] + c[1] + c[2] + c[3], 0.0f) << part;
        }
    }
}
