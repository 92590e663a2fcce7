#pragma once
#include "scene/scene.h"

// The five particle kinds: an initialiser and an updater each, attached to a
// particle system by addParticleSystem. The path kinds follow the path given
// as the system's user data.
void initBurstParticle(Particle* p);
void updateBurstParticle(Particle* p, void* userData);
void initLightBurstParticle(Particle* p);
void updateLightBurstParticle(Particle* p, void* userData);
void initPathCloudParticle(Particle* p);
void updatePathCloudParticle(Particle* p, void* userData);
void initPathSwarmParticle(Particle* p);
void updatePathSwarmParticle(Particle* p, void* userData);
void initPathHeadParticle(Particle* p);
void updatePathHeadParticle(Particle* p, void* userData);
