// The start of the music after a play under Wine: taken from the moment the
// device was told to play, and held there against the position's answers.
#include <gtest/gtest.h>

#include "platform/win32/restart_anchor.h"

TEST(RestartAnchor, TakesThePlayMomentUntilThePositionSettlesThenItsPace) {
    RestartAnchor a = anchorAt(1000000, 0);
    // The position's first answers (its jump to Wine's first buffer) are
    // tens of milliseconds early: not taken.
    EXPECT_EQ(anchoredStartUs(&a, 960000, false), 1000000);
    EXPECT_EQ(anchoredStartUs(&a, 1012000, false), 1000000);
    // Settled, the position's answer is 7 ms off the play's moment: that
    // difference is taken off this and every later answer, so the start
    // stays where the play put it...
    EXPECT_EQ(anchoredStartUs(&a, 1007000, true), 1000000);
    EXPECT_EQ(anchoredStartUs(&a, 1007000, true), 1000000);
    // ...and moves as the position does (the device's clock running off
    // the timer's), not back to the position's own start.
    EXPECT_EQ(anchoredStartUs(&a, 1009500, true), 1002500);
    EXPECT_EQ(anchoredStartUs(&a, 1004000, true), 997000);
    // A new play takes its own moment and its own difference.
    a = anchorAt(5000000, 2000);
    EXPECT_EQ(anchoredStartUs(&a, 4990000, false), 5002000);
    EXPECT_EQ(anchoredStartUs(&a, 4995000, true), 5002000);
    EXPECT_EQ(anchoredStartUs(&a, 4996000, true), 5003000);
}

TEST(RestartAnchor, AnInactiveAnchorPassesThePositionsAnswers) {
    RestartAnchor a = {};  // on Windows, and after a plain pause
    EXPECT_EQ(anchoredStartUs(&a, 123456, false), 123456);
    EXPECT_EQ(anchoredStartUs(&a, 123999, true), 123999);
}
