#pragma once
#include "state/demo_state.h"
#include "math/vec.h"

struct GridVertex {
    Vec3 base;
    Vec3 pos;
    float u, v;
};

typedef void (*GridVertexMover)(GridVertex* vertex, float time);

struct GridLayer {
    int columns;
    int rows;
    int vertexCount;
    GridVertex* vertices;
    int textureSlot;
    GridVertexMover moveVertex;
};

enum : int { gridLayerTableSize = 1024 };
// demo.GridLayerTable: gridLayerTableSize layers, zero-filled by makeDemoState.

void buildGridLayer(GridLayer* layer, float x0, float y0, float x1, float y1, float z,
                    float texU0, float texV0, float texU1, float texV1, int columns, int rows,
                    int textureSlot, GridVertexMover moveVertex);

void drawGridScaled(GridLayer* layer, float brightness, float a, float b, float c, float time);
void drawGridOffset(GridLayer* layer, float brightness, float a, float b, float c, float time);
void drawGridScaledMultiply(GridLayer* layer, float brightness, float a, float b, float c,
                            float time);
void drawGridOffsetMultiply(GridLayer* layer, float brightness, float a, float b, float c,
                            float time);
