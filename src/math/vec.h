#pragma once
// Vectors, 3x3 matrices and quaternions: plain records, free functions, float storage.

struct Vec3 {
    float x, y, z;
};

// Nine floats row by row; acts on column vectors from the left.
struct Mat3 {
    float m[9];
};

// w is the scalar part.
struct Quat {
    float w, x, y, z;
};

void copyVec3(Vec3* dst, const Vec3* src);
Vec3* normalizeVec3(Vec3* v);
void lerpVec3(Vec3* out, const Vec3* a, const Vec3* b, float t);
void copyMat3(Mat3* dst, const Mat3* src);
// a = b * a; a and b may be the same record.
void mat3PreMultiply(Mat3* a, const Mat3* b);
Mat3* rotationZ(Mat3* m, float angle);
Mat3* scaleMat3Row1(Mat3* m, float s);
float hermite(float p0, float m0, float p1, float m1, float s);
// out may be the same record as a or b.
Quat* slerpQuat(Quat* out, const Quat* a, const Quat* b, float t);
