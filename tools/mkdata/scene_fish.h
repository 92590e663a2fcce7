#pragma once
// The ball fish: one mesh whose vertex order is shared by every pose, so the
// morph frames, the fish of the underwater scene and the mirror scene's fish
// (and its reflection) can be blended vertex by vertex.
//
// Object space: nose toward +x, back toward +z, about 34 units long
// (x from -19 to +15). The skin picture is mapped as a side view: u runs
// from the tail (0) to the nose (1), v from the top (0) to the belly (1).
#include "scene_build.h"

namespace scenegen {

struct FishPose {
    float swimPhase = 0;   // 0..1, one tail beat
    float swimAmount = 1;  // tail beat strength
    float sideBend = 0;    // body curved sideways (+: nose and tail toward +y)
    float upBend = 0;      // body curved vertically (+: nose and tail up)
    float puff = 0;        // body blown up (0: slim, 1: a ball)
};

Mesh fishMesh(const FishPose& pose);

// Ten frames of one pose family, phase k / 10 for frame k.
enum class FishFamily { swim, curlLeft, puffRight, archUp, archDown };
Mesh fishFrame(FishFamily family, int frame);

}  // namespace scenegen
