// The viewer's keys as arithmetic on music time.
#include <gtest/gtest.h>

#include "script/timeline.h"
#include "shell/play_keys.h"

namespace {
// Where a key takes the play from nowMs; -1 when it has nowhere to go.
int64_t target(int vk, int32_t nowMs) {
    uint32_t t = 0;
    const char* why = nullptr;
    if (!seekTargetMs(playKeyFor(vk), nowMs, &t, &why)) {
        EXPECT_NE(why, nullptr);
        return -1;
    }
    return t;
}
enum : int { space = 32, pageUp = 33, pageDown = 34, left = 37, right = 39 };
}  // namespace

TEST(PlayKeys, EachKeyItsActionOthersNone) {
    EXPECT_EQ(playKeyFor(space).action, PlayAction::pause);
    EXPECT_EQ(playKeyFor(left).action, PlayAction::seekBy);
    EXPECT_EQ(playKeyFor(left).value, -10000);
    EXPECT_EQ(playKeyFor(right).value, 10000);
    EXPECT_EQ(playKeyFor(pageUp).action, PlayAction::previousPart);
    EXPECT_EQ(playKeyFor(pageDown).action, PlayAction::nextPart);
    for (int n = 0; n <= 8; ++n) {
        EXPECT_EQ(playKeyFor('0' + n).action, PlayAction::toPart) << n;
        EXPECT_EQ(playKeyFor('0' + n).value, n);
        EXPECT_EQ(playKeyFor(96 + n).value, n) << "keypad " << n;
    }
    // 9 is no part to watch; Escape ends the demo its own way; the rest do nothing.
    for (int vk : {int('9'), 105, 27, int('A'), 13, 38, 40, 36, 35, -1, 0, 255})
        EXPECT_EQ(playKeyFor(vk).action, PlayAction::none) << vk;
}

TEST(PlayKeys, TenSecondStepsStopAtTheStartAndRefuseThePastTheEnd) {
    EXPECT_EQ(target(right, 30500), 40500);
    EXPECT_EQ(target(left, 30500), 20500);
    EXPECT_EQ(target(left, 4000), 0);
    EXPECT_EQ(target(left, -20), 0);  // a frame before the music: from 0
    EXPECT_EQ(target(right, 217999), 227999);
    EXPECT_EQ(target(right, 218000), -1);  // 228 s is the end, not a time to show
    EXPECT_EQ(target(right, 227000), -1);
    EXPECT_EQ(target(left, 228001), 218001);
}

TEST(PlayKeys, PartKeysGoToThePartsFirstMillisecond) {
    // Part i plays after Timeline[i]: its start is the millisecond after.
    EXPECT_EQ(partStartTargetMs(0), 0u);
    EXPECT_EQ(partStartTargetMs(3), 82201u);
    EXPECT_EQ(partIndexForElapsed(int32_t(partStartTargetMs(3))), 3);
    for (int n = 0; n <= 8; ++n) EXPECT_EQ(target('0' + n, 150000), int64_t(partStartTargetMs(n)));
    // The one shown decides before and after, at a boundary too (13200 ms is
    // still part 0).
    EXPECT_EQ(target(pageDown, 5000), 13201);
    EXPECT_EQ(target(pageDown, 13200), 13201);
    EXPECT_EQ(target(pageDown, 13201), 54301);
    EXPECT_EQ(target(pageUp, 13201), 0);
    EXPECT_EQ(target(pageUp, 5000), 0);
    EXPECT_EQ(target(pageUp, 150000), 107801);
    EXPECT_EQ(target(pageDown, 217301), -1);  // part 8 is the last
    EXPECT_EQ(target(pageUp, 217301), 200701);
    EXPECT_EQ(target(space, 1000), -1);       // not a seek
}
