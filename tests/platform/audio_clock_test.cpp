#include <gtest/gtest.h>

#include "platform/audio_clock.h"

namespace {
constexpr int rate = 44100;
constexpr uint64_t buffer = 2048;
// 2048 frames at 44100 Hz, in microseconds.
constexpr uint64_t bufferUs = buffer * 1000000 / rate;
}  // namespace

TEST(AudibleStart, NothingKnownBeforeTheFirstHandOver) {
    AudioClockHistory h = {};
    int64_t start = -1;
    EXPECT_FALSE(audibleStartUs(h, rate, 0, 1000, 200000, &start));
    EXPECT_EQ(start, -1);
}

TEST(AudibleStart, TheDeviceQueueDelaysTheFirstSample) {
    // The device takes buffers on time from 5 s on; it plays each after the
    // one it holds, so frame 0 is heard one buffer after it was taken.
    AudioClockHistory h = {};
    for (uint64_t k = 0; k < 10; ++k) recordHandOver(&h, 5000000 + k * bufferUs, k * buffer);
    int64_t start = 0;
    ASSERT_TRUE(audibleStartUs(h, rate, int(buffer), 5000000 + 10 * bufferUs, 200000, &start));
    EXPECT_NEAR(double(start), 5000000.0 + 2048e6 / rate, 10.0);
    ASSERT_TRUE(audibleStartUs(h, rate, 0, 5000000 + 10 * bufferUs, 200000, &start));
    EXPECT_NEAR(double(start), 5000000.0, 10.0);
}

TEST(AudibleStart, LateHandOversDoNotMoveTheStartButTheEarliestDoes) {
    AudioClockHistory h = {};
    // Every buffer but one on time; one comes 9 ms late (a busy system).
    for (uint64_t k = 0; k < 8; ++k) {
        const uint64_t late = k == 4 ? 9000 : 0;
        recordHandOver(&h, 1000000 + k * bufferUs + late, k * buffer);
    }
    int64_t start = 0;
    ASSERT_TRUE(audibleStartUs(h, rate, 0, 1000000 + 8 * bufferUs, 200000, &start));
    // The late one is not taken for a later start (9 ms); it tilts the drift
    // estimate a little.
    EXPECT_NEAR(double(start), 1000000.0, 1000.0);
}

TEST(AudibleStart, FollowsADeviceWhoseClockRunsFast) {
    // 1 % fast: the device plays 2048 frames in 99 % of their time. Only the
    // recent hand-overs count, so the start follows its clock.
    AudioClockHistory h = {};
    const double fastUs = double(bufferUs) * 0.99;
    uint64_t t = 0;
    for (uint64_t k = 0; k < 200; ++k) {
        t = 2000000 + uint64_t(double(k) * fastUs);
        recordHandOver(&h, t, k * buffer);
    }
    int64_t start = 0;
    ASSERT_TRUE(audibleStartUs(h, rate, 0, t, 200000, &start));
    // Frame 199 x 2048 was taken at t: heard then.
    const double expected = double(t) - 199.0 * 2048e6 / rate;
    EXPECT_NEAR(double(start), expected, 100.0);
    EXPECT_LT(double(start), 2000000.0 - 80000.0);  // 1 % of 9 s earlier
}

TEST(AudibleStart, FollowsASlowDeviceWithoutLag) {
    // 1 % slow, each hand-over a little late at random: the earliest of the
    // recent answers would lag by the drift over the window kept.
    AudioClockHistory h = {};
    const double slowUs = double(bufferUs) * 1.01;
    uint64_t t = 0;
    unsigned jitter = 12345;
    for (uint64_t k = 0; k < 100; ++k) {
        jitter = jitter * 1103515245u + 12345u;
        t = 2000000 + uint64_t(double(k) * slowUs) + (jitter >> 16) % 800;
        recordHandOver(&h, t, k * buffer);
    }
    int64_t start = 0;
    ASSERT_TRUE(audibleStartUs(h, rate, 0, t, 200000, &start));
    const double expected = 2000000.0 + 99.0 * (slowUs - double(bufferUs));
    EXPECT_NEAR(double(start), expected, 1000.0);
}

TEST(AudibleStart, AStalledDeviceTellsNothing) {
    AudioClockHistory h = {};
    for (uint64_t k = 0; k < 4; ++k) recordHandOver(&h, 1000000 + k * bufferUs, k * buffer);
    int64_t start = 0;
    const uint64_t last = 1000000 + 3 * bufferUs;
    EXPECT_TRUE(audibleStartUs(h, rate, 0, last + 150000, 200000, &start));
    EXPECT_FALSE(audibleStartUs(h, rate, 0, last + 250000, 200000, &start));
}
