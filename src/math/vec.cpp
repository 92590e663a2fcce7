#include "math/vec.h"

#include <cmath>

void copyVec3(Vec3* dst, const Vec3* src) { *dst = *src; }

// A zero vector has no direction: it is left as it is rather than turned into NaNs.
Vec3* normalizeVec3(Vec3* v) {
    float lengthSq = v->x * v->x + v->y * v->y + v->z * v->z;
    if (lengthSq == 0.0f) return v;
    float k = 1.0f / std::sqrt(lengthSq);
    v->x *= k;
    v->y *= k;
    v->z *= k;
    return v;
}

void lerpVec3(Vec3* out, const Vec3* a, const Vec3* b, float t) {
    Vec3 r = {a->x + (b->x - a->x) * t, a->y + (b->y - a->y) * t, a->z + (b->z - a->z) * t};
    *out = r;
}

void copyMat3(Mat3* dst, const Mat3* src) { *dst = *src; }

void mat3PreMultiply(Mat3* a, const Mat3* b) {
    Mat3 r;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            r.m[i * 3 + j] = b->m[i * 3 + 0] * a->m[0 + j] + b->m[i * 3 + 1] * a->m[3 + j] +
                             b->m[i * 3 + 2] * a->m[6 + j];
    *a = r;
}

Mat3* rotationZ(Mat3* m, float angle) {
    float c = std::cos(angle);
    float s = std::sin(angle);
    *m = Mat3{{c, s, 0.0f, -s, c, 0.0f, 0.0f, 0.0f, 1.0f}};
    return m;
}

Mat3* scaleMat3Row1(Mat3* m, float s) {
    m->m[3] *= s;
    m->m[4] *= s;
    m->m[5] *= s;
    return m;
}

float hermite(float p0, float m0, float p1, float m1, float s) {
    float s2 = s * s;
    float s3 = s2 * s;
    return (2.0f * s3 - 3.0f * s2 + 1.0f) * p0 + (s3 - 2.0f * s2 + s) * m0 +
           (3.0f * s2 - 2.0f * s3) * p1 + (s3 - s2) * m1;
}

// No hemisphere correction: keys are interpolated exactly as they are stored,
// the long way round when their dot product is negative.
Quat* slerpQuat(Quat* out, const Quat* a, const Quat* b, float t) {
    float d = a->w * b->w + a->x * b->x + a->y * b->y + a->z * b->z;
    if (d > 1.0f)
        d = 1.0f;
    else if (d < -1.0f)
        d = -1.0f;
    float theta = std::acos(d);
    Quat r;
    if (theta == 0.0f) {
        float u = 1.0f - t;
        r = Quat{u * a->w + t * b->w, u * a->x + t * b->x, u * a->y + t * b->y,
                 u * a->z + t * b->z};
    } else {
        float sinTheta = std::sin(theta);
        if (std::fabs(sinTheta) < 1e-6f) {
            // Opposite keys: every great circle joins them. Turn through the
            // quaternion perpendicular to a so the path stays on the sphere.
            Quat p = {-a->x, a->w, -a->z, a->y};
            float c = std::cos(t * theta);
            float s = std::sin(t * theta);
            r = Quat{c * a->w + s * p.w, c * a->x + s * p.x, c * a->y + s * p.y,
                     c * a->z + s * p.z};
        } else {
            float k0 = std::sin((1.0f - t) * theta) / sinTheta;
            float k1 = std::sin(t * theta) / sinTheta;
            r = Quat{k0 * a->w + k1 * b->w, k0 * a->x + k1 * b->x, k0 * a->y + k1 * b->y,
                     k0 * a->z + k1 * b->z};
        }
    }
    *out = r;
    return out;
}
