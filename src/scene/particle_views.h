#pragma once
#include "scene/scene.h"

// The particles' camera-space positions in frames played for their history
// only (while verticesEvaluated() is off). Nothing in such a frame reads
// them, and a frame drawn places the particles it steps afresh, but they are
// part of the demo's state: each moment kept holds them (a system's last
// positions stay while its scene is off screen), and the state after a seek
// is to be the one a play from the start leaves. So those frames only note,
// per system, how many particles were stepped and under which camera, and the
// positions are worked out once from the particles' world positions, which
// only a step moves: the very values the frames would have left.

// After a system's particles 0 to stepped-1 were stepped under `camera`.
void noteParticlesStepped(ParticleSystem* system, int stepped, const SceneCamera* camera);

// Works out what was noted (when vertices are evaluated again, before the
// demo's state is kept); nothing is left noted.
void settleParticleViews();

// Drops what was noted: the demo's state was put back from a moment kept
// settled.
void forgetParticleViews();
