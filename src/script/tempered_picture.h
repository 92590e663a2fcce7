#pragma once
#include "scene/texture_slot.h"

// Gentle play: a slot's picture read again with its saturated reds tempered
// (fx/gentle.h) and given to the slot's texture in place of the plain one. A
// slot whose picture did not load (its loader has said so) is left as it is.
void temperSlotPicture(TextureSlot* slot, const char* path);
