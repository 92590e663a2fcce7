#pragma once
#include <cstdint>
#include "image/image.h"
#include "math/vec.h"
#include "state/demo_state.h"

// Makes the demo record (makeDemoState: the three zero-filled tables), runs
// the part table's set-ups in their order (first failure stops, 0), then the
// final loads. 1 on success.
int loadAll();
void freeAll();

// Slots 97-99, the water pictures and tables.
void finishAssetTable();

// The set-ups also fill the record's paths and water pictures (demo.darmPath,
// demo.waterCanvas, ...); freeAll gives them back.
