#pragma once
// Hand-written scene file bytes, field by field, for the reader tests.
#include <cstdint>
#include <cstring>
#include <vector>

#include <gtest/gtest.h>

#include "math/tracks.h"
#include "scene/scene.h"

namespace scenebytes {

struct Bytes {
    std::vector<unsigned char> data;

    Bytes& u8(unsigned v) {
        data.push_back(static_cast<unsigned char>(v));
        return *this;
    }
    Bytes& i32(int32_t v) {
        for (int i = 0; i < 4; ++i) u8((uint32_t(v) >> (8 * i)) & 0xffu);
        return *this;
    }
    Bytes& f32(float f) {
        int32_t bits;
        std::memcpy(&bits, &f, 4);
        return i32(bits);
    }
    Bytes& vec(Vec3 v) { return f32(v.x).f32(v.y).f32(v.z); }
    Bytes& quat(Quat q) { return f32(q.w).f32(q.x).f32(q.y).f32(q.z); }
    Bytes& positionBlock(const std::vector<PositionKey>& keys) {
        u8(unsigned(keys.size()));
        for (const PositionKey& k : keys)
            vec(k.inTangent).i32(k.time).vec(k.value).vec(k.outTangent);
        return *this;
    }
    Bytes& rotationBlock(const std::vector<RotationKey>& keys) {
        u8(unsigned(keys.size()));
        for (const RotationKey& k : keys)
            quat(k.inControl).i32(k.time).quat(k.value).quat(k.outControl);
        return *this;
    }
    Bytes& scalarBlock(const std::vector<ScalarKey>& keys) {
        u8(unsigned(keys.size()));
        for (const ScalarKey& k : keys) f32(k.inTangent).i32(k.time).f32(k.value).f32(k.outTangent);
        return *this;
    }
    Bytes& visibilityBlock(const std::vector<int32_t>& times) {
        u8(unsigned(times.size()));
        for (int32_t t : times) i32(t);
        return *this;
    }
};

// A camera record with one key in each sampled track (119 bytes).
inline Bytes& camera(Bytes& b, Vec3 eye, Vec3 target, float roll = 0, float fov = 0.5f) {
    b.u8(0).u8(0);
    b.positionBlock({PositionKey{{0, 0, 0}, 0, eye, {0, 0, 0}}});
    b.scalarBlock({ScalarKey{0, 0, roll, 0}});
    b.scalarBlock({ScalarKey{0, 0, fov, 0}});
    b.positionBlock({PositionKey{{0, 0, 0}, 0, target, {0, 0, 0}}});
    b.visibilityBlock({});
    return b;
}

// No object, light, spot, particle system, hook or flare set counted.
inline void expectNoTables(const Scene* scene) {
    EXPECT_EQ(scene->objectCount, 0);
    EXPECT_EQ(scene->lightCount, 0);
    EXPECT_EQ(scene->spotCount, 0);
    EXPECT_EQ(scene->particleSystemCount, 0);
    EXPECT_EQ(scene->hookCount, 0);
    EXPECT_EQ(scene->flareSetCount, 0);
}

}  // namespace scenebytes
