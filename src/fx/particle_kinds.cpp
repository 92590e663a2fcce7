// The five particle kinds. The initialisers draw their random values in a
// fixed order so the whole demo sees the same sequence on every run.
#include "fx/particle_kinds.h"

#include "fx/particles.h"
#include "math/random.h"
#include "state/demo_state.h"

namespace {

const float twoPi = 6.2831855f;

inline void setCommon(Particle* p) {
    p->colour[0] = 1.0f;
    p->colour[1] = 1.0f;
    p->colour[2] = 1.0f;
    p->typeTag = 13;
}

// A particle that starts on what it follows, at its full size.
inline void startOnAnchor(Particle* p, float size) {
    p->offset = Vec3{0.0f, 0.0f, 0.0f};
    p->size = size;
    setCommon(p);
}

// Shared step of the path kinds: advance along the path, wrap past the limit,
// then sit at the path point plus the particle's own offset.
inline void stepAlongPath(Particle* p, const Vec3* path, float limit) {
    p->pathPos += demo.DemoClock.frameStep * p->pathSpeed;
    if (p->pathPos > limit) p->pathPos = 0.0f;
    followPath(path, &p->worldPos, p->pathPos);
    p->worldPos.x += p->offset.x;
    p->worldPos.y += p->offset.y;
    p->worldPos.z += p->offset.z;
}

// The three values every kind draws in a row: how fast it shrinks, where on
// the path it starts and how fast it moves along it (each base + [0, range)).
struct MotionRanges {
    float shrinkRange, shrinkBase;
    float pathRange;
    float speedRange, speedBase;
};

void drawMotion(Particle* p, const MotionRanges& m) {
    p->shrinkRate = randomBelow(m.shrinkRange) + m.shrinkBase;
    p->pathPos = randomBelow(m.pathRange);
    p->pathSpeed = randomBelow(m.speedRange) + m.speedBase;
}

// What a cloud or swarm particle draws after its offset: spin and sway, size,
// then its motion.
void fillPathParticle(Particle* p, float sizeRange, float sizeBase, const MotionRanges& m) {
    p->spare0 = randomBelow(twoPi);
    p->spare1 = randomBelow(0.8f);
    p->size = randomBelow(sizeRange) + sizeBase;
    drawMotion(p, m);
    p->velocity = Vec3{0.0f, 0.0f, 0.0f};
    setCommon(p);
}

}  // namespace

void initBurstParticle(Particle* p) {
    p->velocity.x = randomBelow(1.0f) - 0.5f;
    p->velocity.y = randomBelow(1.0f) - 0.5f;
    p->velocity.z = randomBelow(1.0f) - 0.5f;
    p->size = randomBelow(3.0f) + 3.0f;
    drawMotion(p, MotionRanges{0.03f, 0.03f, 2500.0f, 5.0f, 1.0f});
    p->offset.x = 2.0f * p->velocity.x;
    p->offset.y = 2.0f * p->velocity.y;
    p->offset.z = 2.0f * p->velocity.z;
    p->worldPos = p->offset;
    setCommon(p);
}

void updateBurstParticle(Particle* p, void* /*userData*/) {
    const float s = demo.DemoClock.frameStep;
    // Drawn where it was before this step's move.
    p->worldPos = p->offset;
    p->offset.x += s * p->velocity.x;
    p->offset.y += s * p->velocity.y;
    p->offset.z += s * p->velocity.z;
    p->size -= s * p->shrinkRate;
    if (p->size < 0.0f) initBurstParticle(p);
}

void initLightBurstParticle(Particle* p) {
    p->velocity.x = randomSigned(20.0f);
    p->velocity.y = randomSigned(20.0f);
    p->velocity.z = randomSigned(20.0f);
    drawMotion(p, MotionRanges{4.0f, 4.0f, 2500.0f, 5.0f, 1.0f});
    p->worldPos = Vec3{0.0f, 0.0f, 0.0f};
    startOnAnchor(p, 500.0f);
}

void updateLightBurstParticle(Particle* p, void* userData) {
    const float s = demo.DemoClock.frameStep;
    const Vec3* followed = static_cast<const Vec3*>(userData);
    p->size -= s * p->shrinkRate;
    if (p->size < 0.0f) initLightBurstParticle(p);
    p->worldPos.x = p->offset.x + followed->x;
    p->worldPos.y = p->offset.y + followed->y;
    p->worldPos.z = p->offset.z + followed->z;
    p->offset.x += s * p->velocity.x;
    p->offset.y += s * p->velocity.y;
    p->offset.z += s * p->velocity.z;
}

void initPathCloudParticle(Particle* p) {
    p->offset.x = randomSigned(80.0f);
    p->offset.y = randomSigned(80.0f);
    p->offset.z = randomSigned(80.0f);
    fillPathParticle(p, 0.5f, 2.0f, MotionRanges{0.05f, 0.001f, 1500.0f, 0.05f, 0.01f});
}

void updatePathCloudParticle(Particle* p, void* userData) {
    stepAlongPath(p, static_cast<const Vec3*>(userData), 600.0f);
}

void initPathSwarmParticle(Particle* p) {
    p->offset.x = randomBelow(20.0f) - 10.0f;
    p->offset.y = randomBelow(20.0f) - 10.0f;
    p->offset.z = randomBelow(20.0f) - 10.0f;
    fillPathParticle(p, 1.0f, 4.0f, MotionRanges{0.05f, 0.001f, 2500.0f, 2.0f, 0.5f});
}

void updatePathSwarmParticle(Particle* p, void* userData) {
    stepAlongPath(p, static_cast<const Vec3*>(userData), 2500.0f);
}

void initPathHeadParticle(Particle* p) {
    drawMotion(p, MotionRanges{0.05f, 0.001f, 2500.0f, 4.0f, 2.0f});
    p->velocity = Vec3{0.0f, 0.0f, 0.0f};
    startOnAnchor(p, 128.0f);
}

void updatePathHeadParticle(Particle* p, void* userData) {
    stepAlongPath(p, static_cast<const Vec3*>(userData), 2500.0f);
}
