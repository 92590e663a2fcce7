#include <gtest/gtest.h>

#include <cstdlib>

#include "shell/clock_follow.h"

namespace {
// One follower and the music time it last drew. play runs frames every frameMs
// from `from` while the zero follows `target`, returns the zero after them and
// checks that drawn music time never falls, across calls too.
struct Follow {
    ClockFollower follower = {};
    int32_t lastElapsed = INT32_MIN;

    uint32_t play(uint32_t zero, uint32_t target, uint32_t from, int frames, uint32_t frameMs) {
        uint32_t now = from;
        for (int i = 0; i < frames; ++i, now += frameMs) {
            zero = followMusicStart(&follower, zero, target, now);
            const int32_t elapsed = int32_t(now - zero);
            EXPECT_GE(elapsed, lastElapsed) << "frame " << i;
            lastElapsed = elapsed;
        }
        return zero;
    }
};
}  // namespace

TEST(ClockFollow, SmallDifferencesAreLeftAlone) {
    Follow f;
    EXPECT_EQ(f.play(1000, 1001, 1000, 100, 16), 1000u);
    EXPECT_EQ(f.play(1000, 999, 3000, 100, 16), 1000u);
}

TEST(ClockFollow, ClosesALaterStartWithinASecondWithoutGoingBack) {
    // The device says the music began 30 ms later than the clock thinks:
    // the pictures lead, and slow down to let the music catch up.
    Follow f;
    uint32_t zero = f.play(5000, 5030, 5000, 4, 16);
    EXPECT_GT(zero, 5000u);
    EXPECT_LE(zero, 5000u + 3 * 16);  // never more than the frames' own time
    zero = f.play(zero, 5030, 5000 + 4 * 16, 60, 16);
    EXPECT_GE(zero, 5028u);
    EXPECT_LE(zero, 5030u);
    // Half a second: the pictures stand still rather than go back, and the
    // difference is closed within a second.
    Follow g;
    zero = g.play(10000, 10500, 20000, 63, 16);
    EXPECT_GE(zero, 10498u);
    EXPECT_LE(zero, 10500u);
}

TEST(ClockFollow, MovesEarlierWhenThePicturesLag) {
    const uint32_t zero = Follow().play(5000, 4980, 5000, 60, 16);
    EXPECT_LE(zero, 4982u);
    EXPECT_GE(zero, 4980u);
}

TEST(ClockFollow, NeverStepsBackWithinOneMillisecond) {
    // Frames faster than the timer's resolution: many readings of the same
    // millisecond. A later zero then would draw an earlier music time.
    const uint32_t zero = Follow().play(100, 200, 1000, 500, 0);
    EXPECT_EQ(zero, 100u);
}

TEST(ClockFollow, FollowsADeviceThatRunsFastWithoutJumps) {
    // A device 3 % fast moves where it says the music began 30 ms earlier
    // every second: the zero keeps within a few milliseconds of it.
    ClockFollower f = {};
    int32_t last = INT32_MIN;
    uint32_t zero = 50000, now = 50000;
    for (int i = 0; i < 600; ++i, now += 16) {
        const uint32_t target = 50000 - uint32_t(int64_t(now - 50000) * 3 / 100);
        zero = followMusicStart(&f, zero, target, now);
        const int32_t elapsed = int32_t(now - zero);
        ASSERT_GE(elapsed, last);
        last = elapsed;
        if (i > 60) {
            EXPECT_LE(std::abs(int32_t(zero - target)), 8) << "frame " << i;
        }
    }
}

TEST(ClockFollow, SurvivesTheTimerWrapAround) {
    const uint32_t zero = Follow().play(0xFFFFFF00u, 0xFFFFFF10u, 0xFFFFFF80u, 100, 16);
    EXPECT_EQ(zero, 0xFFFFFF10u - 1);  // within the dead band of 2 ms
}

// After a pause or a seek the music starts again from a music time: the zero
// is where time 0 would have been heard, so the clock reads that time when
// its sample is heard, across the timer's wrap too.
TEST(ClockFollow, TheZeroOfAPlayFromAMusicTimeMakesTheClockReadThatTime) {
    EXPECT_EQ(musicZeroMs(5000000, 0), 5000u);
    EXPECT_EQ(musicZeroMs(5000499, 0), 5000u);  // to the nearest millisecond
    EXPECT_EQ(musicZeroMs(5000500, 0), 5001u);
    EXPECT_EQ(musicZeroMs(250000000, 134017), 250000u - 134017u);
    // Heard 2 s after the timer started, 120 s in: the zero is "before" the
    // timer's start, and differences still come out right.
    const uint32_t zero = musicZeroMs(2000000, 120000);
    EXPECT_EQ(int32_t(2000u - zero), 120000);
    EXPECT_EQ(int32_t(2016u - zero), 120016);
    // Past the 32-bit wrap of the millisecond timer.
    const int64_t wrapUs = (int64_t(1) << 32) * 1000 + 7000;
    EXPECT_EQ(int32_t(7u - musicZeroMs(wrapUs, 60000)), 60000);
    EXPECT_EQ(int32_t(0xFFFFFFF0u - musicZeroMs(wrapUs, 60000)), 60000 - 23);
}
