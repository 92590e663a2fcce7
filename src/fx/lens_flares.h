#pragma once
#include "scene/scene.h"

void drawLensFlares(Scene* scene);
