#pragma once
#include <functional>
#include <vector>

#include "flash_windows.h"

// Synthetic frames for the flash tests: packed RGB pictures drawn by rule.

struct Rgb {
    unsigned char r = 0, g = 0, b = 0;
};

// A picture of one colour.
std::vector<unsigned char> plainPicture(int width, int height, Rgb colour);

// A picture whose top `rows` rows are `top`, the rest `rest`.
std::vector<unsigned char> bandPicture(int width, int height, int rows, Rgb top, Rgb rest);

// Feeds `frames` frames drawn by picture(frame) to a new analysis and finishes it.
FlashAnalysis analyseFrames(int width, int height, long rate, long frames,
                            const std::function<std::vector<unsigned char>(long)>& picture,
                            long firstFrame = 0);

// Whether a square wave of `perSecond` cycles (half on, half off) is on at frame f.
bool squareWaveOn(long frame, long rate, long perSecond);
