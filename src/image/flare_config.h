#pragma once
#include "scene/scene.h"

// Appends one FlareSet read from the flare file to the scene. A missing file
// reports "cannot load flaredata" and leaves the scene unchanged.
void loadFlareConfig(Scene* scene, const char* path, Vec3* source);
