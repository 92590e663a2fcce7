#pragma once
#include "scene/scene.h"

// The largest flare file read (a real one is well under a kilobyte).
enum : long { maxFlareFileBytes = 1L << 20 };

// Appends one FlareSet read from the flare file to the scene. A missing file
// (or one that is no regular file or too large) reports "cannot load
// flaredata", after a line naming the reason, and leaves the scene unchanged.
void loadFlareConfig(Scene* scene, const char* path, Vec3* source);
