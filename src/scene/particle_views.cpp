#include "scene/particle_views.h"

#include <vector>

#include "scene/evaluate.h"

namespace {

struct NotedSystem {
    ParticleSystem* system;
    int stepped;
    SceneCamera camera;  // as it stood at the last step
};

std::vector<NotedSystem> noted;

void placeParticles(ParticleSystem* system, int from, int to, const SceneCamera* camera) {
    Vec3 scratch;
    for (int k = from; k < to; ++k) {
        Particle* p = &system->particles[k];
        toCameraSpace(&scratch, &p->viewPos, &p->worldPos, camera);
    }
}

}  // namespace

void noteParticlesStepped(ParticleSystem* system, int stepped, const SceneCamera* camera) {
    for (NotedSystem& n : noted) {
        if (n.system != system) continue;
        // The choreography lowered the count: the ones no longer stepped
        // keep the positions of their own last step.
        if (n.stepped > stepped) placeParticles(system, stepped, n.stepped, &n.camera);
        n.stepped = stepped;
        n.camera = *camera;
        return;
    }
    noted.push_back(NotedSystem{system, stepped, *camera});
}

void settleParticleViews() {
    for (NotedSystem& n : noted) placeParticles(n.system, 0, n.stepped, &n.camera);
    noted.clear();
}

void forgetParticleViews() { noted.clear(); }
