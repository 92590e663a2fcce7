#pragma once
#include <cstddef>
#include <vector>

#include "flash_events.h"
#include "frame_light.h"

// Flashes counted in every one-second window of a sequence of frames, fed one
// frame at a time (a whole capture never has to be in memory). A window is the
// frames whose changes fall within one second of each other: frames s up to
// s + n - 1 with n - 1 below the frame rate (60 frames at 60 fps, also at
// 60000/1001). Its flashes are the picture's transitions in it, halved.
// The picture is seen through a grid of cells (frame_light.h), whose
// transitions make the picture's (flash_events.h).

// The grid's cells across and down: small enough that a flash over a quarter
// of the picture fills many cells, large enough that fine moving detail
// averages out in them.
const int flashGridCells = 24;

struct WindowFlashes {
    long firstFrame = 0;  // the window's first frame
    int flashes = 0;      // general flashes
    int redFlashes = 0;
    double area = 0;  // the largest share of the picture one general transition in it covered
    double step = 0;  // the largest luminance step of one (the median over its cells)
};

// The worst window that starts in one second of music.
struct SecondFlashes {
    long second = 0;
    WindowFlashes worst;
};

struct FlashAnalysis {
    int width = 0, height = 0;
    long rateNum = 60, rateDen = 1;
    long firstFrame = 0;  // index of the first frame fed (its music time: index / rate)
    long windowFrames = 60;
    long framesFed = 0;
    CellGrid grid;
    FrameLight light;
    FlashTrack general, red;
    size_t generalFrom = 0, redFrom = 0;  // the first transitions in the window
    std::vector<SecondFlashes> seconds;   // in order; a second without a window start is absent
    WindowFlashes worst;                  // the worst window of all
    bool anyWindow = false;
};

// Frames per window at a rate of num/den frames per second.
long flashWindowFrames(long rateNum, long rateDen);

// The second of music frame `frame` falls in.
long frameSecond(long frame, long rateNum, long rateDen);

// `area`: the share of the picture a flash has to cover (flash_events.h).
FlashAnalysis startFlashAnalysis(int width, int height, long rateNum, long rateDen,
                                 long firstFrame, double area = flashAreaShare);

// Feeds the next frame: width x height packed 8-bit RGB pixels, top row first.
void addFlashFrame(FlashAnalysis* a, const unsigned char* rgb);

// Ends the sequence: one shorter than a window is judged as one window.
void finishFlashAnalysis(FlashAnalysis* a);

// WCAG 2.3.1's three flashes: no window with more than three general or more
// than three red flashes.
bool flashesPass(const WindowFlashes& worst);
