#pragma once
// Seeded, repeatable noise for the procedural pictures: the same seed gives
// the same field on every run and machine. Functions taking a period repeat
// after that many units in x and y (0 = no repetition), so textures that are
// tiled across a mesh have no seams.
#include <cstdint>

uint32_t hashInts(int x, int y, uint32_t seed);
float hash01(int x, int y, uint32_t seed);  // 0..1

// Gradient noise, about -1..1.
float perlin(float x, float y, uint32_t seed, int period = 0);

// Sum of `octaves` perlin layers, each of twice the frequency and `gain`
// times the amplitude of the one before; normalised to about -1..1.
float fbm(float x, float y, uint32_t seed, int octaves, int period = 0, float gain = 0.5f);

// Sum of absolute values (creases where the noise crosses zero): 0..about 1.
float turbulence(float x, float y, uint32_t seed, int octaves, int period = 0);

// Cellular noise: distances to the nearest and second nearest feature point
// (one per unit cell) and a 0..1 value identifying the nearest cell.
struct Cells {
    float f1;
    float f2;
    float id;
    float nearestX;
    float nearestY;
};
Cells cells(float x, float y, uint32_t seed, int period = 0, float jitter = 0.9f);
