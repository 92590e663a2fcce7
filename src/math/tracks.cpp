#include "math/tracks.h"

namespace {

// The last key at or before time (key 0 when time is before every key),
// searched from where the previous sampling ended.
template <typename Key>
int findSegment(int keyCount, int cursor, const Key* keys, float time) {
    int c = cursor;
    if (c < 0 || c >= keyCount) c = 0;
    if (float(keys[c].time) <= time) {
        while (c < keyCount - 1 && float(keys[c + 1].time) <= time) ++c;
    } else {
        while (c > 0 && float(keys[c].time) > time) --c;
    }
    return c;
}

// Fraction of the segment starting at key c, or false when key c is held: a
// single key, the time at or after the last key, or two keys sharing a time
// (which would divide by zero).
template <typename Key>
bool segmentFraction(int keyCount, int c, const Key* keys, float time, float* s) {
    if (c >= keyCount - 1) return false;
    int32_t t0 = keys[c].time;
    int32_t t1 = keys[c + 1].time;
    if (t0 == t1) return false;
    *s = float((double(time) - t0) / (double(t1) - t0));
    return true;
}

// The segment that holds `time`: its first key, with the fraction through it
// in *s. Null, with *out already set, when there is nothing to interpolate:
// no keys at all (`none`) or a held key (its value).
template <typename Track, typename Value>
auto segmentAt(Track* track, Value* out, const Value& none, float time, float* s)
    -> decltype(track->keys) {
    if (track->keyCount <= 0) {
        *out = none;
        return nullptr;
    }
    int c = findSegment(track->keyCount, track->cursor, track->keys, time);
    track->cursor = c;
    auto* k = &track->keys[c];
    if (!segmentFraction(track->keyCount, c, track->keys, time, s)) {
        *out = k->value;
        return nullptr;
    }
    return k;
}

void sampleHermiteVec3(PositionTrack* track, Vec3* out, float time, const Vec3& none) {
    float s;
    const PositionKey* k = segmentAt(track, out, none, time, &s);
    if (!k) return;
    const PositionKey* k1 = k + 1;
    Vec3 r = {hermite(k->value.x, k->outTangent.x, k1->value.x, k1->inTangent.x, s),
              hermite(k->value.y, k->outTangent.y, k1->value.y, k1->inTangent.y, s),
              hermite(k->value.z, k->outTangent.z, k1->value.z, k1->inTangent.z, s)};
    *out = r;
}

}  // namespace

void samplePositionTrack(PositionTrack* track, Vec3* out, float time) {
    sampleHermiteVec3(track, out, time, Vec3{0.0f, 0.0f, 0.0f});
}

void sampleScaleTrack(PositionTrack* track, Vec3* out, float time) {
    sampleHermiteVec3(track, out, time, Vec3{1.0f, 1.0f, 1.0f});
}

void sampleRotationTrack(RotationTrack* track, Quat* out, float time) {
    float s;
    const RotationKey* k = segmentAt(track, out, Quat{1.0f, 0.0f, 0.0f, 0.0f}, time, &s);
    if (!k) return;
    // Cubic spherical Bezier through the key values and their inner controls.
    const RotationKey* k1 = k + 1;
    Quat a, b, cq;
    slerpQuat(&a, &k->value, &k->outControl, s);
    slerpQuat(&b, &k->outControl, &k1->inControl, s);
    slerpQuat(&cq, &k1->inControl, &k1->value, s);
    slerpQuat(&a, &a, &b, s);
    slerpQuat(&b, &b, &cq, s);
    slerpQuat(out, &a, &b, s);
}

void sampleScalarTrack(ScalarTrack* track, float* out, float time) {
    float s;
    const ScalarKey* k = segmentAt(track, out, 0.0f, time, &s);
    if (!k) return;
    const ScalarKey* k1 = k + 1;
    *out = hermite(k->value, k->outTangent, k1->value, k1->inTangent, s);
}

void advanceVisibility(VisibilityTrack* track, float time) {
    if (track->cursor < 0) track->cursor = 0;
    while (track->cursor < track->keyCount && float(track->times[track->cursor]) <= time) {
        track->hidden = track->hidden ? 0 : 1;
        ++track->cursor;
    }
}
