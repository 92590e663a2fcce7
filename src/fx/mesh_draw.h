#pragma once
#include "math/vec.h"
#include "scene/scene.h"

void drawMeshTwoLayer(SceneObject* object);
void drawMeshLit(SceneObject* object);
void drawMeshTransparent(SceneObject* object);
void drawMeshWireframe(SceneObject* object);

// Client-array batching shared by the mesh and particle drawing: one fixed
// scratch buffer, filled and flushed in chunks, so drawing never allocates.
struct BatchVertex {
    float uv[2];
    float rgb[3];
    Vec3 pos;
};
// A multiple of 3 (triangles), 4 (quads) and 8 (the two line pairs of a wire face).
enum : int { meshBatchCapacity = 12288 };
extern BatchVertex meshBatch[meshBatchCapacity];

// Draws the first count vertices of meshBatch as the GL primitive mode, with
// texture coordinates and colours from the batch when asked. Disables every
// array it enabled, and leaves the current texture coordinate and colour at
// the last vertex's values, as immediate mode would have.
void flushMeshBatch(unsigned mode, int count, int withTexCoords, int withColours);
