#pragma once
#include "fx/grid_layer.h"

// The vertex movers a grid layer is built with (GridVertexMover).
void gridVertexStill(GridVertex* vertex, float time);
void gridVertexWobble(GridVertex* vertex, float time);
void gridVertexDrift(GridVertex* vertex, float time);
void gridVertexRipple(GridVertex* vertex, float time);
