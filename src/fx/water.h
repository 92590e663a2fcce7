#pragma once
#include <cstdint>
#include "image/image.h"

enum : int { waterTexels = 16384, waterSize = 128 };

// 1 when the picture is 128 x 128 (either row order), the only size the
// tables and loops work with. The builders zero their table for any other.
int isWaterSized(const Image* image);

int waterLuminance(int a, int b, int c);
void buildWaterOffsetTable(const Image* height, uint16_t* waterOffsetTable);
void buildSurfaceTexelTable(const Image* colour, int32_t* surfaceTexelTable);
void generateWaterTexture(Image* canvas, const int32_t* surfaceTexelTable,
                          const uint16_t* waterOffsetTable, float phase);
void generateWaterTextureTransposed(Image* canvas, const int32_t* surfaceTexelTable,
                                    const uint16_t* waterOffsetTable, float phase);
