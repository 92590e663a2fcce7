#pragma once
#include "scene/scene.h"
#include "state/demo_state.h"

// One entry of the texture table: a picture plus the material settings of the
// objects drawn with it. Plain data; the GL work lives with the image code.
enum : int {
    textureFlagEnvMap = 2,
    textureFlagTwoLayer = 8,
};

// The slot whose picture the wireframes are drawn with (loaded last).
enum : int { wireOverlaySlot = 99 };

struct TextureSlot {
    unsigned glTexture;
    unsigned glTexture2;
    float wireLevel;
    float opacity;
    int flags;
    float texScale2;
};

// demo.TextureTable: textureTableSize entries, zero-filled by makeDemoState.
