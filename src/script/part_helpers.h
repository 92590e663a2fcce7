#pragma once
#include "fx/grid_layer.h"
#include "scene/scene.h"
#include "scene/texture_slot.h"
#include "state/demo_state.h"

// Short names for the fixed table entries the part bodies address by number.
inline GridLayer* layer(int k) { return &demo.GridLayerTable[k]; }
inline Scene* scene(int k) { return &demo.SceneBank[k]; }
inline TextureSlot* slot(int k) { return &demo.TextureTable[k]; }

inline float clampTo(float value, float low, float high) {
    if (value < low) return low;
    if (value > high) return high;
    return value;
}
