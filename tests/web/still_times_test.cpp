#include <gtest/gtest.h>

#include "shell/still_times.h"

namespace {

TEST(StillTimes, ListsOfTimesInRange) {
    std::vector<double> t;
    ASSERT_TRUE(parseStillTimes("6.5,12,0,228", &t));
    EXPECT_EQ(t, (std::vector<double>{6.5, 12, 0, 228}));
    ASSERT_TRUE(parseStillTimes("80", &t));
    EXPECT_EQ(t, (std::vector<double>{80}));
}

TEST(StillTimes, BadListsAreRefusedAndKeepNothing) {
    std::vector<double> t = {1};
    for (const char* bad : {"", ",", "5,", ",5", "1,,2", "abc", "5s", "-1", "228.5", "1e999",
                            "nan", "inf", "3;4"}) {
        EXPECT_FALSE(parseStillTimes(bad, &t)) << bad;
        EXPECT_EQ(t, (std::vector<double>{1})) << bad;
    }
    EXPECT_FALSE(parseStillTimes(nullptr, &t));
}

TEST(StillTimes, FramesAreTheNearestOnesOfTheCaptureClock) {
    // The capture program's rounding: frame = round(t x rate).
    EXPECT_EQ(stillFrames({0, 6.5, 12, 0.016, 0.017, 227.99}, 30),
              (std::vector<long>{0, 195, 360, 0, 1, 6840}));
}

}  // namespace
