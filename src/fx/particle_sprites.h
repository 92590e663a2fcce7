#pragma once
#include "scene/scene.h"

void drawParticleSprites(Scene* scene, SceneCamera* camera);
