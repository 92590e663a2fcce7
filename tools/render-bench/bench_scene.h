#pragma once
#include "scene/scene.h"
#include "state/demo_state.h"

// The synthetic scene of the render benchmark, the size of the heaviest scene
// of the demo: one fogged tube of 20,000 triangles with a vertex wobble hook on
// it, and two path clouds of 3,000 particles each flying through it.

constexpr int benchTubeSlot = 31;      // opaque, lit
constexpr int benchParticleSlot = 32;  // additive sprites
constexpr int benchTubeRings = 101;
constexpr int benchTubeSegments = 100;  // 2 x 100 x 100 = 20,000 triangles
constexpr int benchCloudParticles = 3000;

// Needs the GL context current and the demo.TextureTable allocated. The scene is
// released with releaseBenchScene.
Scene* buildBenchScene();
void releaseBenchScene(Scene* scene);

// Reverses the winding of every face of object 0 (and its normals).
void flipBenchTube(Scene* scene);
