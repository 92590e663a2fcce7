#pragma once
#include "scene/scene.h"

void renderScene(Scene* scene, float time);
void drawOpaqueObjects(Scene* scene);
void drawTransparentObjects(Scene* scene);
void drawWireframeObjects(Scene* scene);
