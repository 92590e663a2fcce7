#pragma once
#include <cstdint>
#include "image/image.h"
#include "math/vec.h"

// Allocates the texture table, grid layer table and scene bank (zero-filled),
// runs the set-ups in their fixed order (first failure stops, 0), then the
// final loads. 1 on success.
int loadAll();
void freeAll();

int setupLogoAssets();
int setupLightScene();
int setupNeuronalScene();
int setupAterieScene();
int setupFischScene();
int setupDarmScene();
int setupKopuliScene();
int setupMirrorScene();
// Slots 97-99, the water pictures and tables.
void finishAssetTable();

// Particle paths sampled at load time (3001 points each).
extern Vec3* darmPath;
extern Vec3* ateriePath1;
extern Vec3* ateriePath2;

// The procedural water: pictures from the BMP files and the tables built from
// them. Null when a picture could not be read (the water is then skipped).
extern Image* waterCanvas;
extern Image* surfaceImage;
extern Image* waterImage;
extern uint16_t* waterOffsetTable;
extern int32_t* surfaceTexelTable;
