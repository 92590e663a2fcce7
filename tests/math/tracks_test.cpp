#include "math/tracks.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

PositionKey posKey(int32_t time, Vec3 value, Vec3 in = {0, 0, 0}, Vec3 out = {0, 0, 0}) {
    return PositionKey{in, time, value, out};
}
ScalarKey scalarKey(int32_t time, float value) { return ScalarKey{0, time, value, 0}; }

TEST(ScalarTrack, TwoKeysWithFlatTangents) {
    std::vector<ScalarKey> keys = {scalarKey(0, 0), scalarKey(10, 1)};
    ScalarTrack track = {2, 0, keys.data()};
    struct Case {
        float time, expected;
    } cases[] = {
        {2.5f, 0.15625f}, {5, 0.5f}, {10, 1}, {25, 1},
        {0, 0},           {-5, 1.0f}};  // s = -0.5: 3s^2 - 2s^3 = 1, the cubic extrapolated
    for (const Case& c : cases) {
        float v = -99;
        sampleScalarTrack(&track, &v, c.time);
        EXPECT_FLOAT_EQ(v, c.expected) << "time " << c.time;
    }
}

TEST(ScalarTrack, ResultDoesNotDependOnTheCursor) {
    std::vector<ScalarKey> keys;
    for (int i = 0; i < 12; ++i) keys.push_back(ScalarKey{0.5f, i * 20, float(i * i), -0.5f});
    ScalarTrack moving = {int(keys.size()), 0, keys.data()};
    for (float time : {100.0f, 10.0f, 100.0f, 230.0f, -3.0f, 57.5f, 57.5f}) {
        ScalarTrack fresh = {int(keys.size()), 0, keys.data()};
        float a, b;
        sampleScalarTrack(&moving, &a, time);
        sampleScalarTrack(&fresh, &b, time);
        EXPECT_EQ(a, b) << "time " << time;
    }
    // A cursor left out of range by hand is not trusted.
    moving.cursor = 400;
    float v;
    sampleScalarTrack(&moving, &v, 20.0f);
    EXPECT_EQ(v, 1.0f);
}

TEST(PositionTrack, SegmentsKeysAndExtrapolation) {
    // Tangents equal to the span: a straight line at constant speed.
    std::vector<PositionKey> keys = {posKey(0, {0, 0, 0}, {}, {8, 4, 0}),
                                     posKey(8, {8, 4, 0}, {8, 4, 0}, {}), posKey(16, {0, 0, 2})};
    PositionTrack track = {3, 0, keys.data()};
    Vec3 v;
    samplePositionTrack(&track, &v, 2.0f);
    EXPECT_FLOAT_EQ(v.x, 2.0f);
    EXPECT_FLOAT_EQ(v.y, 1.0f);
    EXPECT_EQ(track.cursor, 0);
    samplePositionTrack(&track, &v, 8.0f);  // on a key: s = 0, its value
    EXPECT_EQ(v.x, 8.0f);
    EXPECT_EQ(track.cursor, 1);
    samplePositionTrack(&track, &v, 99.0f);  // after the last key: held, no extrapolation
    EXPECT_EQ(v.z, 2.0f);
    EXPECT_EQ(track.cursor, 2);

    // Before the first key the first segment's cubic runs backwards.
    std::vector<PositionKey> flat = {posKey(10, {1, 0, 0}), posKey(20, {3, 0, 0})};
    PositionTrack early = {2, 1, flat.data()};
    samplePositionTrack(&early, &v, 5.0f);
    float s = -0.5f;
    float expected = 1.0f * (2 * s * s * s - 3 * s * s + 1) + 3.0f * (3 * s * s - 2 * s * s * s);
    EXPECT_FLOAT_EQ(v.x, expected);
    EXPECT_EQ(early.cursor, 0);
}

TEST(Tracks, OneKeyHoldsAtEveryTime) {
    PositionKey pk = posKey(30, {1, 2, 3});
    PositionTrack p = {1, 0, &pk};
    RotationKey rk = {{0, 1, 0, 0}, 30, {0.5f, 0.5f, 0.5f, 0.5f}, {0, 0, 1, 0}};
    RotationTrack r = {1, 0, &rk};
    for (float time : {-10.0f, 30.0f, 1000.0f}) {
        Vec3 v;
        Quat q;
        samplePositionTrack(&p, &v, time);
        sampleRotationTrack(&r, &q, time);
        EXPECT_EQ(v.y, 2.0f);
        EXPECT_EQ(q.w, 0.5f);
        EXPECT_EQ(q.x, 0.5f);
    }
}

TEST(Tracks, EmptyTracksAreNeutral) {
    PositionTrack p = {0, 0, nullptr};
    RotationTrack r = {0, 0, nullptr};
    ScalarTrack s = {0, 0, nullptr};
    Vec3 position = {9, 9, 9}, scale = {9, 9, 9};
    Quat q = {9, 9, 9, 9};
    float value = 9;
    samplePositionTrack(&p, &position, 5);
    sampleScaleTrack(&p, &scale, 5);
    sampleRotationTrack(&r, &q, 5);
    sampleScalarTrack(&s, &value, 5);
    EXPECT_EQ(position.x, 0.0f);
    EXPECT_EQ(position.z, 0.0f);
    EXPECT_EQ(scale.x, 1.0f);
    EXPECT_EQ(scale.z, 1.0f);
    EXPECT_EQ(q.w, 1.0f);
    EXPECT_EQ(q.x, 0.0f);
    EXPECT_EQ(q.z, 0.0f);
    EXPECT_EQ(value, 0.0f);
}

TEST(Tracks, KeysSharingATimeHoldTheFirstValue) {
    std::vector<ScalarKey> keys = {scalarKey(10, 4), scalarKey(10, 8)};
    ScalarTrack s = {2, 0, keys.data()};
    std::vector<RotationKey> rkeys = {{{1, 0, 0, 0}, 10, {1, 0, 0, 0}, {1, 0, 0, 0}},
                                      {{0, 1, 0, 0}, 10, {0, 1, 0, 0}, {0, 1, 0, 0}}};
    RotationTrack r = {2, 0, rkeys.data()};
    float v;
    Quat q;
    sampleScalarTrack(&s, &v, 5.0f);  // before both keys: the search stops at key 0
    sampleRotationTrack(&r, &q, 5.0f);
    EXPECT_EQ(v, 4.0f);
    EXPECT_EQ(q.w, 1.0f);
    EXPECT_TRUE(std::isfinite(q.x));
}

TEST(RotationTrack, SphericalBezier) {
    const float h = 0.70710677f;
    const Quat turn = {h, 0, 0, h};
    std::vector<RotationKey> same = {{turn, 0, turn, turn}, {turn, 10, turn, turn}};
    RotationTrack track = {2, 0, same.data()};
    for (float time : {0.0f, 3.0f, 7.5f}) {
        Quat q;
        sampleRotationTrack(&track, &q, time);
        EXPECT_NEAR(q.w, h, 1e-6f);
        EXPECT_NEAR(q.z, h, 1e-6f);
    }
    // Controls on the great circle at thirds: the curve runs along it evenly.
    const Quat id = {1, 0, 0, 0};
    const Quat third = {std::cos(float(M_PI) / 12), 0, 0, std::sin(float(M_PI) / 12)};
    const Quat twoThirds = {std::cos(float(M_PI) / 6), 0, 0, std::sin(float(M_PI) / 6)};
    std::vector<RotationKey> arc = {{id, 0, id, third}, {twoThirds, 10, turn, turn}};
    RotationTrack even = {2, 0, arc.data()};
    Quat q;
    sampleRotationTrack(&even, &q, 5.0f);
    EXPECT_NEAR(q.w, std::cos(float(M_PI) / 8), 1e-5f);
    EXPECT_NEAR(q.z, std::sin(float(M_PI) / 8), 1e-5f);
    sampleRotationTrack(&even, &q, 10.0f);
    EXPECT_NEAR(q.w, h, 1e-6f);
}

TEST(Visibility, FlipsOncePerKeyPassed) {
    int32_t times[] = {50, 80};
    struct Step {
        float time;
        int hidden;
    };
    const std::vector<std::vector<Step>> runs = {
        {{0, 0}, {49.9f, 0}, {50, 1}, {79, 1}, {80, 0}, {200, 0}},
        {{0, 0}, {90, 0}, {60, 0}},  // one step past both keys; going back changes nothing
        {{60, 1}, {10, 1}, {70, 1}, {85, 0}},
    };
    for (const auto& run : runs) {
        VisibilityTrack track = {2, 0, 0, times};
        for (const Step& step : run) {
            advanceVisibility(&track, step.time);
            EXPECT_EQ(track.hidden, step.hidden) << "time " << step.time;
        }
    }
    VisibilityTrack none = {0, 0, 0, nullptr};
    advanceVisibility(&none, 1e6f);
    EXPECT_EQ(none.hidden, 0);
}

}  // namespace
