#pragma once
#include "scene/texture_slot.h"

// Gentle play's twin of a picture: `twin` gets the picture at `path` with its
// saturated reds tempered (fx/gentle.h), loaded as `plain` was. Nothing is
// loaded when the plain one did not load (its loader has said why).
void loadTemperedTwin(TextureSlot* twin, const TextureSlot* plain, const char* path);
