// Particles as camera-facing squares. Drawing also steps every particle once
// more: with the evaluation's step that makes two per rendered frame.
#include "fx/particle_sprites.h"

#include "fx/gentle.h"
#include "fx/mesh_draw.h"
#include "fx/render_tuning.h"
#include "fx/switches.h"
#include "glcalls/gl_calls.h"
#include "image/texture_table.h"
#include "scene/evaluate.h"
#include "scene/particle_views.h"
#include "state/demo_state.h"
#include "state/gentle_mode.h"

namespace {

inline void putCorner(BatchVertex* v, float u, float t, const float* rgb, float x, float y,
                      float z) {
    v->uv[0] = u;
    v->uv[1] = t;
    v->rgb[0] = rgb[0];
    v->rgb[1] = rgb[1];
    v->rgb[2] = rgb[2];
    v->pos = Vec3{x, y, z};
}

}  // namespace

void drawParticleSprites(Scene* scene, SceneCamera* camera) {
    for (int i = 0; i < scene->particleSystemCount; ++i) {
        ParticleSystem* system = &scene->particleSystems[i];
        bindTextureSlot(system->texture);
        // Corner colours are RGB (alpha 1) and pictures have no alpha.
        if (system->texture->opacity != 0) blendAdditiveAlphaOne();
        gl.Normal3f(0, 0, 0);
        const float nearZ = demo.cullNearZ;
        const float farZ = demo.cullFarZ;
        int n = 0;
        // Played for its history only, a frame steps the particles and sends
        // no corners (as it sends no mesh); where they stand in camera space
        // is worked out when it is next read (scene/particle_views.h).
        const bool corners = verticesEvaluated();
        // The count is read afresh: the choreography lowers it to switch heads off.
        int k = 0;
        for (; k < system->count; ++k) {
            Particle* p = &system->particles[k];
            system->update(p, system->userData);
            if (!corners) continue;  // placed once the frames played unseen end
            Vec3 world;
            toCameraSpace(&world, &p->viewPos, &p->worldPos, camera);
            const float z = p->viewPos.z;
            if (!(z < nearZ && z > farZ)) continue;
            if (n + 4 > meshBatchCapacity) {
                flushMeshBatch(GL_QUADS, n, 1, 1);
                n = 0;
            }
            const float x = p->viewPos.x;
            const float y = p->viewPos.y;
            const float s = p->size;
            const float* colour = p->colour;
            float faded[3];
            if (gentleMode.on) {
                // Near the eye a sprite fades out (fx/gentle.h).
                const float weight = gentleSpriteWeight(s, z);
                if (weight <= 0) continue;
                for (int c = 0; c < 3; ++c) faded[c] = p->colour[c] * weight;
                colour = faded;
            }
            putCorner(&meshBatch[n++], 0, 0, colour, x - s, y - s, z);
            putCorner(&meshBatch[n++], 1, 0, colour, x + s, y - s, z);
            putCorner(&meshBatch[n++], 1, 1, colour, x + s, y + s, z);
            putCorner(&meshBatch[n++], 0, 1, colour, x - s, y + s, z);
        }
        if (!corners) noteParticlesStepped(system, k, camera);
        flushMeshBatch(GL_QUADS, n, 1, 1);
    }
    if (scene->particleSystemCount > 0) blendAdditiveRestore();
}
