#pragma once
#include <initializer_list>

#include "fx/grid_layer.h"
#include "scene/scene.h"

// Table rows of the set-ups: pictures into texture slots and grid layers.

enum SlotLoader : int { plainSlot, envMapSlot };

struct SlotLoad {
    int slot;
    const char* file;
    float opacity;
    SlotLoader loader;
};

// Every layer of the demo sits at depth -1.
struct LayerRow {
    int layer;
    float x0, y0, x1, y1;
    float u0, v0, u1, v1;
    int columns, rows;
    int slot;
    GridVertexMover mover;
};

void loadSlots(const SlotLoad* rows, int count);
// Plain pictures into the slots from firstSlot on, one a file, in order.
void loadSlotRun(int firstSlot, float opacity, std::initializer_list<const char*> files);
void buildLayers(const LayerRow* rows, int count);

// Loads a scene file into its place; on success also checks that the file
// holds the objects and lights the set-up wires up (a short file is reported
// by name rather than read past). The scene when it can be used, else null.
Scene* loadSetupScene(const char* file, int place, int textureBase, int objectsNeeded,
                   int lightsNeeded);

// The hook target a set-up looks up by texture slot; reports a file without one.
SceneObject* requireObjectWithSlot(const char* file, int place, int slot);

template <typename T, int N>
constexpr int rowCount(const T (&)[N]) {
    return N;
}
