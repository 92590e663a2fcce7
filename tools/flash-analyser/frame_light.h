#pragma once
#include <vector>

// What the flash rules look at in one picture: the light of each cell of a
// grid laid over it (the mean of its pixels' linear light, as the eye adds it
// up). A flash is a change of a patch of the picture, not of a pixel: a thin
// bright line moving over a dark ground changes every pixel it crosses, and
// is no flash. Per cell: relative luminance (0 to 1) and red content,
// (R - G - B) x 320 of the linear values with negatives as 0, and whether the
// cell is a saturated red (R / (R + G + B) of at least 0.8).

struct CellGrid {
    int columns = 1, rows = 1;
    int width = 1, height = 1;  // of the picture
};

struct FrameLight {
    std::vector<float> luminance;  // by cell, row by row
    std::vector<float> redness;
    std::vector<unsigned char> saturatedRed;  // 1 or 0
};

// A grid of up to `cells` x `cells` over a width x height picture (no cell
// smaller than a pixel).
CellGrid cellGrid(int width, int height, int cells);

// The pixels in each cell, row by row.
std::vector<int> cellPixelCounts(const CellGrid& grid);

// Measures a picture of packed 8-bit RGB pixels, top row first, into *light.
void measureFrameLight(const unsigned char* rgb, const CellGrid& grid, FrameLight* light);
