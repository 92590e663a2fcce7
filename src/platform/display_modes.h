#pragma once

struct DisplayMode {
    int width;
    int height;
    int bitsPerPixel;
    int refreshRate;
};

enum : int { maxDisplayModes = 5000 };

// The deepest mode of exactly width x height; among equal depths the one
// enumerated first. Only modes 0..4998 are compared. -1 when there is none.
int findBestDisplayMode(const DisplayMode* modes, int count, int width, int height);
