#pragma once
#include <cstdint>
#include "math/vec.h"

// Key records: the in-memory layout is the file layout (little-endian, no padding).
struct PositionKey {
    Vec3 inTangent;
    int32_t time;
    Vec3 value;
    Vec3 outTangent;
};
struct RotationKey {
    Quat inControl;
    int32_t time;
    Quat value;
    Quat outControl;
};
struct ScalarKey {
    float inTangent;
    int32_t time;
    float value;
    float outTangent;
};
static_assert(sizeof(PositionKey) == 40, "PositionKey must match the file layout");
static_assert(sizeof(RotationKey) == 52, "RotationKey must match the file layout");
static_assert(sizeof(ScalarKey) == 16, "ScalarKey must match the file layout");

struct PositionTrack {
    int keyCount;
    int cursor;
    PositionKey* keys;
};
struct RotationTrack {
    int keyCount;
    int cursor;
    RotationKey* keys;
};
struct ScalarTrack {
    int keyCount;
    int cursor;
    ScalarKey* keys;
};
struct VisibilityTrack {
    int keyCount;
    int cursor;   // key times already passed; only grows
    int hidden;   // flips each time a key time is passed
    int32_t* times;
};

// A track with no keys yields a neutral value: position 0, identity rotation, scalar 0.
// (Scale tracks are position tracks; samplers of scale use sampleScaleTrack, neutral 1.)
void samplePositionTrack(PositionTrack* track, Vec3* out, float time);
void sampleScaleTrack(PositionTrack* track, Vec3* out, float time);
void sampleRotationTrack(RotationTrack* track, Quat* out, float time);
void sampleScalarTrack(ScalarTrack* track, float* out, float time);
void advanceVisibility(VisibilityTrack* track, float time);
