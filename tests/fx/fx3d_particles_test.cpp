// Particle systems, paths and hooks: the random draw order of every kind, the
// pre-run, the table bounds and the update rules.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "fx/particle_kinds.h"
#include "fx/particles.h"
#include "fx3d_support.h"
#include "scene/scene_builder.h"
#include "state/demo_state.h"
#include "support/error_capture.h"
#include "state/demo_memory.h"

namespace {

// The generator's sequence, independently: state x 214013 + 2531011.
std::vector<int> rawDraws(int n) {
    uint32_t state = 1;
    std::vector<int> out;
    for (int i = 0; i < n; ++i) {
        state = state * 214013u + 2531011u;
        out.push_back(int((state >> 16) & 32767u));
    }
    return out;
}
float below(int r, float x) {
    return float(r) * x * 0.000030517578125f;
}
float signedOf(int r, float x) {
    return float(double(r) * double(x) * 0.00006103515625 - double(x));
}

class ParticlesTest : public fx3d::SceneTest {
protected:
    void TearDown() override {
        for (int i = 0; i < scene->particleSystemCount; ++i)
            giveBackDemoMemory(scene->particleSystems[i].particles);
        scene->particleSystemCount = 0;
        SceneTest::TearDown();
    }
};

TEST_F(ParticlesTest, BurstDrawsInOrderFromAResetGenerator) {
    const auto r = rawDraws(7);
    Particle p{};
    initBurstParticle(&p);
    EXPECT_FLOAT_EQ(p.velocity.x, 41.0f / 32768.0f - 0.5f);
    EXPECT_FLOAT_EQ(p.velocity.y, below(r[1], 1) - 0.5f);
    EXPECT_FLOAT_EQ(p.velocity.z, below(r[2], 1) - 0.5f);
    EXPECT_FLOAT_EQ(p.size, below(r[3], 3) + 3);
    EXPECT_FLOAT_EQ(p.shrinkRate, below(r[4], 0.03f) + 0.03f);
    EXPECT_FLOAT_EQ(p.pathPos, below(r[5], 2500));
    EXPECT_FLOAT_EQ(p.pathSpeed, below(r[6], 5) + 1);
    EXPECT_FLOAT_EQ(p.offset.x, 2 * p.velocity.x);
    EXPECT_FLOAT_EQ(p.worldPos.z, p.offset.z);
    EXPECT_FLOAT_EQ(p.colour[1], 1.0f);
    EXPECT_EQ(p.typeTag, 13);
    uint32_t state = 1;
    for (int i = 0; i < 7; ++i) state = state * 214013u + 2531011u;
    EXPECT_EQ(randomState(), state);  // exactly seven draws
}

TEST_F(ParticlesTest, OtherKindsDrawInTheListedOrder) {
    const auto r = rawDraws(10);
    Particle p{};

    resetRandom(1);
    initLightBurstParticle(&p);
    EXPECT_FLOAT_EQ(p.velocity.x, signedOf(r[0], 20));
    EXPECT_FLOAT_EQ(p.velocity.z, signedOf(r[2], 20));
    EXPECT_FLOAT_EQ(p.shrinkRate, below(r[3], 4) + 4);
    EXPECT_FLOAT_EQ(p.pathPos, below(r[4], 2500));
    EXPECT_FLOAT_EQ(p.pathSpeed, below(r[5], 5) + 1);
    EXPECT_FLOAT_EQ(p.size, 500);

    resetRandom(1);
    initPathCloudParticle(&p);
    EXPECT_FLOAT_EQ(p.offset.y, signedOf(r[1], 80));
    EXPECT_FLOAT_EQ(p.spare0, below(r[3], 6.2831855f));
    EXPECT_FLOAT_EQ(p.spare1, below(r[4], 0.8f));
    EXPECT_FLOAT_EQ(p.size, below(r[5], 0.5f) + 2);
    EXPECT_FLOAT_EQ(p.shrinkRate, below(r[6], 0.05f) + 0.001f);
    EXPECT_FLOAT_EQ(p.pathPos, below(r[7], 1500));
    EXPECT_FLOAT_EQ(p.pathSpeed, below(r[8], 0.05f) + 0.01f);
    EXPECT_FLOAT_EQ(p.velocity.x, 0);

    resetRandom(1);
    initPathSwarmParticle(&p);
    EXPECT_FLOAT_EQ(p.offset.z, below(r[2], 20) - 10);
    EXPECT_FLOAT_EQ(p.size, below(r[5], 1) + 4);
    EXPECT_FLOAT_EQ(p.pathPos, below(r[7], 2500));
    EXPECT_FLOAT_EQ(p.pathSpeed, below(r[8], 2) + 0.5f);

    resetRandom(1);
    initPathHeadParticle(&p);
    EXPECT_FLOAT_EQ(p.shrinkRate, below(r[0], 0.05f) + 0.001f);
    EXPECT_FLOAT_EQ(p.pathPos, below(r[1], 2500));
    EXPECT_FLOAT_EQ(p.pathSpeed, below(r[2], 4) + 2);
    EXPECT_FLOAT_EQ(p.size, 128);
    EXPECT_FLOAT_EQ(p.offset.x, 0);
}

// Records the order of init and update calls across the pre-run.
std::vector<std::string>* callLog = nullptr;
void logInit(Particle* p) {
    p->typeTag = int(callLog->size());
    callLog->push_back("init");
}
void logUpdate(Particle* p, void* userData) {
    callLog->push_back("update " + std::to_string(p->typeTag) +
                       (userData ? " data" : " null"));
}

TEST_F(ParticlesTest, AddPreRunsEachParticleAHundredStepsInTurn) {
    std::vector<std::string> log;
    callLog = &log;
    int data = 0;
    ASSERT_EQ(addParticleSystem(scene, &data, 2, logInit, logUpdate, 7), 1);
    callLog = nullptr;
    ASSERT_EQ(log.size(), 202u);
    EXPECT_EQ(log[0], "init");
    EXPECT_EQ(log[100], "update 0 data");
    EXPECT_EQ(log[101], "init");
    EXPECT_EQ(log[201], "update 101 data");
    const ParticleSystem& s = scene->particleSystems[0];
    EXPECT_EQ(scene->particleSystemCount, 1);
    EXPECT_EQ(s.count, 2);
    EXPECT_EQ(s.texture, &demo.TextureTable[7]);
    EXPECT_EQ(s.userData, &data);
}

TEST_F(ParticlesTest, FullTablesRefuseWithAMessage) {
    ErrorCapture errors;
    scene->particleSystemCount = maxSceneTableEntries;
    scene->hookCount = 0;
    EXPECT_EQ(addParticleSystem(scene, nullptr, 1, initBurstParticle, updateBurstParticle, 0), 0);
    EXPECT_EQ(scene->particleSystemCount, maxSceneTableEntries);
    EXPECT_EQ(scene->particleSystems, nullptr);  // refused before anything was taken
    EXPECT_EQ(errors.texts.size(), 1u);

    scene->hookCount = maxSceneTableEntries;
    EXPECT_EQ(addSceneHook(scene, nullptr, nullptr, [](void*, void*) {}), 0);
    EXPECT_EQ(scene->hookCount, maxSceneTableEntries);
    EXPECT_EQ(errors.texts.size(), 2u);
    scene->particleSystemCount = 0;
    scene->hookCount = 0;
}

TEST_F(ParticlesTest, HooksRunInTableOrder) {
    static std::vector<int> order;
    order.clear();
    int a = 1, b = 2;
    auto record = [](void* target, void* userData) {
        order.push_back(*static_cast<int*>(target) * 10 + *static_cast<int*>(userData));
    };
    ASSERT_EQ(addSceneHook(scene, &a, &b, record), 1);
    ASSERT_EQ(addSceneHook(scene, &b, &a, record), 1);
    runSceneHooks(scene);
    EXPECT_EQ(order, (std::vector<int>{12, 21}));
}

TEST_F(ParticlesTest, SampledPathClosesOnItself) {
    // A straight line from (0,0,0) at time 0 to (3000,0,0) at time 3000.
    const Vec3 step{3000, 0, 0};
    PositionTrack track = scenebuild::positionTrack(
        {scenebuild::positionKey(0, {0, 0, 0}, step, step),
         scenebuild::positionKey(3000, {3000, 0, 0}, step, step)});
    Vec3* path = nullptr;
    samplePath(&path, &track, 3000);
    ASSERT_NE(path, nullptr);
    EXPECT_FLOAT_EQ(path[1500].x, 1500.0f);
    EXPECT_FLOAT_EQ(path[2999].x, 2999.0f);
    EXPECT_FLOAT_EQ(path[3000].x, path[0].x);
    EXPECT_FLOAT_EQ(path[3000].y, path[0].y);
    giveBackDemoMemory(path);
    std::free(track.keys);
}

TEST_F(ParticlesTest, FollowPathInterpolates) {
    const Vec3 path[4] = {{0, 0, 0}, {1, 1, 1}, {4, 8, 12}, {8, 0, -4}};
    Vec3 out{};
    followPath(path, &out, 2.25f);
    EXPECT_FLOAT_EQ(out.x, 0.75f * 4 + 0.25f * 8);
    EXPECT_FLOAT_EQ(out.y, 0.75f * 8);
    EXPECT_FLOAT_EQ(out.z, 0.75f * 12 - 0.25f * 4);
    followPath(path, &out, 1.0f);
    EXPECT_FLOAT_EQ(out.y, 1.0f);
}

TEST_F(ParticlesTest, PathKindsWrapAtTheirLimits) {
    std::vector<Vec3> path(3001);
    for (int i = 0; i < 3001; ++i) path[size_t(i)] = Vec3{float(i), 0, 0};
    Particle cloud{};
    cloud.pathPos = 1400;
    cloud.pathSpeed = 0.03f;
    cloud.offset = Vec3{0, 5, 0};
    updatePathCloudParticle(&cloud, path.data());
    EXPECT_EQ(cloud.pathPos, 0.0f);
    EXPECT_FLOAT_EQ(cloud.worldPos.x, 0.0f);
    EXPECT_FLOAT_EQ(cloud.worldPos.y, 5.0f);

    Particle swarm{};
    swarm.pathPos = 2499;
    swarm.pathSpeed = 1;
    updatePathSwarmParticle(&swarm, path.data());
    EXPECT_FLOAT_EQ(swarm.pathPos, 2500);  // at the limit, not past it
    EXPECT_FLOAT_EQ(swarm.worldPos.x, 2500);
    updatePathHeadParticle(&swarm, path.data());
    EXPECT_EQ(swarm.pathPos, 0.0f);
}

TEST_F(ParticlesTest, BurstDiesOnlyBelowZero) {
    Particle p{};
    p.velocity = Vec3{1, 2, 3};
    p.shrinkRate = 0.5f;
    p.size = 0.5f;
    updateBurstParticle(&p, nullptr);
    EXPECT_EQ(p.size, 0.0f);  // exactly 0 lives on
    EXPECT_FLOAT_EQ(p.velocity.y, 2);
    EXPECT_FLOAT_EQ(p.offset.z, 3);
    EXPECT_FLOAT_EQ(p.worldPos.z, 0);  // drawn before the move

    p.size = 0.499f;
    updateBurstParticle(&p, nullptr);
    EXPECT_GE(p.size, 3.0f);  // re-initialised
    EXPECT_LT(p.velocity.y, 0.5f);
}

TEST_F(ParticlesTest, FrameStepZeroMovesNothing) {
    demo.DemoClock.frameStep = 0.0f;
    std::vector<Vec3> path(3001, Vec3{1, 2, 3});
    Particle burst{}, light{}, swarm{};
    resetRandom(1);
    initBurstParticle(&burst);
    burst.size = 0.001f;
    initLightBurstParticle(&light);
    initPathSwarmParticle(&swarm);
    const Particle b0 = burst, l0 = light, s0 = swarm;
    const Vec3 point{5, 5, 5};
    for (int i = 0; i < 10; ++i) {
        updateBurstParticle(&burst, nullptr);
        updateLightBurstParticle(&light, const_cast<Vec3*>(&point));
        updatePathSwarmParticle(&swarm, path.data());
    }
    EXPECT_EQ(burst.size, b0.size);
    EXPECT_EQ(burst.offset.x, b0.offset.x);
    EXPECT_EQ(light.size, l0.size);
    EXPECT_EQ(light.offset.y, l0.offset.y);
    EXPECT_EQ(swarm.pathPos, s0.pathPos);
}

}  // namespace
