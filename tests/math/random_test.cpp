#include "math/random.h"

#include <gtest/gtest.h>

namespace {

// The state whose next output is 0 (next state below 65536): solve
// s * 214013 + 2531011 = 0 mod 2^32 with the multiplier's inverse.
uint32_t stateBeforeZero() {
    uint32_t inverse = 214013u;  // Newton's iteration doubles the correct bits
    for (int i = 0; i < 5; ++i) inverse *= 2u - 214013u * inverse;
    return (0u - 2531011u) * inverse;
}

TEST(Random, FirstOutputsFromTheStartState) {
    resetRandom();
    EXPECT_EQ(nextRandom(), 41);
    EXPECT_EQ(nextRandom(), 18467);
    EXPECT_EQ(nextRandom(), 6334);
}

TEST(Random, ScaledForms) {
    resetRandom();
    EXPECT_EQ(randomBelow(1.0f), 0.001251220703125f);  // 41 / 32768
    EXPECT_EQ(randomSigned(2.0f), 18467.0f * 2.0f / 16384.0f - 2.0f);
    EXPECT_EQ(randomState(), 1u * 214013u * 214013u + 2531011u * 214013u + 2531011u);
}

TEST(Random, SignedReachesMinusXButNeverX) {
    resetRandom(stateBeforeZero());
    EXPECT_EQ(randomSigned(3.0f), -3.0f);
    resetRandom();
    for (int i = 0; i < 100000; ++i) {
        float v = randomSigned(1.0f);
        ASSERT_GE(v, -1.0f);
        ASSERT_LT(v, 1.0f);
        float b = randomBelow(5.0f);
        ASSERT_GE(b, 0.0f);
        ASSERT_LT(b, 5.0f);
    }
}

}  // namespace
