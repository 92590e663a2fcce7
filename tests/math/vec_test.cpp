#include "math/vec.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

const float kHalfSqrt2 = 0.70710677f;

void expectQuatNear(const Quat& q, float w, float x, float y, float z, float tol = 1e-5f) {
    EXPECT_NEAR(q.w, w, tol);
    EXPECT_NEAR(q.x, x, tol);
    EXPECT_NEAR(q.y, y, tol);
    EXPECT_NEAR(q.z, z, tol);
}

TEST(Vec, NormalizeAndLerp) {
    Vec3 v = {3, 0, 4};
    EXPECT_EQ(normalizeVec3(&v), &v);
    EXPECT_FLOAT_EQ(v.x, 0.6f);
    EXPECT_FLOAT_EQ(v.y, 0.0f);
    EXPECT_FLOAT_EQ(v.z, 0.8f);

    Vec3 zero = {0, 0, 0};
    normalizeVec3(&zero);  // no direction: stays zero instead of NaN
    EXPECT_EQ(zero.x, 0.0f);
    EXPECT_EQ(zero.y, 0.0f);
    EXPECT_EQ(zero.z, 0.0f);

    Vec3 a = {1, 2, 3}, b = {3, 6, -1}, out;
    lerpVec3(&out, &a, &b, 0.25f);
    EXPECT_FLOAT_EQ(out.x, 1.5f);
    EXPECT_FLOAT_EQ(out.y, 3.0f);
    EXPECT_FLOAT_EQ(out.z, 2.0f);
    lerpVec3(&a, &a, &b, 1.0f);  // in place
    EXPECT_FLOAT_EQ(a.z, -1.0f);
}

TEST(Mat3, RotationScaleAndProduct) {
    Mat3 r;
    rotationZ(&r, 0.0f);
    const Mat3 identity = {{1, 0, 0, 0, 1, 0, 0, 0, 1}};
    for (int i = 0; i < 9; ++i) EXPECT_FLOAT_EQ(r.m[i], identity.m[i]);

    rotationZ(&r, float(M_PI / 2));
    const float quarter[9] = {0, 1, 0, -1, 0, 0, 0, 0, 1};
    for (int i = 0; i < 9; ++i) EXPECT_NEAR(r.m[i], quarter[i], 1e-7f);

    Mat3 a = {{1, 2, 3, 4, 5, 6, 7, 8, 9}};
    mat3PreMultiply(&a, &identity);
    for (int i = 0; i < 9; ++i) EXPECT_EQ(a.m[i], float(i + 1));

    // b * a with b a row swap: rows of a exchanged.
    const Mat3 swap = {{0, 1, 0, 1, 0, 0, 0, 0, 1}};
    mat3PreMultiply(&a, &swap);
    const float swapped[9] = {4, 5, 6, 1, 2, 3, 7, 8, 9};
    for (int i = 0; i < 9; ++i) EXPECT_EQ(a.m[i], swapped[i]);

    // a = a * a with both arguments the same record.
    Mat3 s = {{1, 2, 0, 0, 1, 0, 3, 0, 1}};
    mat3PreMultiply(&s, &s);
    const float squared[9] = {1, 4, 0, 0, 1, 0, 6, 6, 1};
    for (int i = 0; i < 9; ++i) EXPECT_EQ(s.m[i], squared[i]);

    scaleMat3Row1(&s, 2.0f);
    EXPECT_EQ(s.m[3], 0.0f);
    EXPECT_EQ(s.m[4], 2.0f);
    EXPECT_EQ(s.m[8], 1.0f);
}

TEST(Hermite, EndsAndEasing) {
    EXPECT_EQ(hermite(2, 5, 7, -3, 0), 2.0f);
    EXPECT_EQ(hermite(2, 5, 7, -3, 1), 7.0f);
    EXPECT_FLOAT_EQ(hermite(0, 0, 1, 0, 0.5f), 0.5f);
    EXPECT_FLOAT_EQ(hermite(0, 0, 1, 0, 0.25f), 0.15625f);
    // Tangents equal to the span: a straight line.
    EXPECT_FLOAT_EQ(hermite(0, 4, 4, 4, 0.25f), 1.0f);
    // Unclamped: negative s extrapolates the cubic.
    EXPECT_FLOAT_EQ(hermite(0, 0, 1, 0, -1.0f), 5.0f);
}

TEST(Slerp, ValuesAndEnds) {
    const Quat id = {1, 0, 0, 0};
    const Quat turn = {kHalfSqrt2, 0, 0, kHalfSqrt2};
    Quat out;
    expectQuatNear(*slerpQuat(&out, &turn, &turn, 0.3f), kHalfSqrt2, 0, 0, kHalfSqrt2, 0);
    expectQuatNear(*slerpQuat(&out, &id, &turn, 0.0f), 1, 0, 0, 0);
    expectQuatNear(*slerpQuat(&out, &id, &turn, 1.0f), kHalfSqrt2, 0, 0, kHalfSqrt2);
    expectQuatNear(*slerpQuat(&out, &id, &turn, 0.5f), 0.9238795f, 0, 0, 0.38268343f);

    // A dot product just above 1 through rounding takes the linear branch.
    const Quat a = {1.0000001f, 0, 0, 0}, b = {1.0000001f, 0, 0, 0};
    slerpQuat(&out, &a, &b, 0.5f);
    EXPECT_EQ(out.w, 1.0000001f);
}

TEST(Slerp, KeepsTheLongArc) {
    const Quat a = {1, 0, 0, 0};
    const Quat b = {-kHalfSqrt2, 0, 0, kHalfSqrt2};
    Quat out;
    expectQuatNear(*slerpQuat(&out, &a, &b, 0.5f), 0.38268f, 0, 0, 0.92388f);
}

TEST(Slerp, OutputMayAliasAnInput) {
    const Quat id = {1, 0, 0, 0};
    const Quat turn = {kHalfSqrt2, 0, 0, kHalfSqrt2};
    Quat expected, a = id, b = turn;
    slerpQuat(&expected, &id, &turn, 0.3f);
    slerpQuat(&a, &a, &turn, 0.3f);
    slerpQuat(&b, &id, &b, 0.3f);
    for (const Quat* q : {&a, &b})
        expectQuatNear(*q, expected.w, expected.x, expected.y, expected.z, 0);
}

TEST(Slerp, OppositeKeysStayFiniteAndUnit) {
    const Quat a = {1, 0, 0, 0};
    const Quat b = {-1, 0, 0, 0};
    for (float t : {0.0f, 0.25f, 0.5f, 1.0f}) {
        Quat out;
        slerpQuat(&out, &a, &b, t);
        float len = std::sqrt(out.w * out.w + out.x * out.x + out.y * out.y + out.z * out.z);
        EXPECT_NEAR(len, 1.0f, 1e-5f) << "t=" << t;
    }
    Quat end;
    expectQuatNear(*slerpQuat(&end, &a, &b, 1.0f), -1, 0, 0, 0);
}

}  // namespace
