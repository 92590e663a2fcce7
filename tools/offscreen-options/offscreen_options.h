#pragma once
#include <string>

#include "options/frame_rate.h"
#include "options/option_reader.h"

// The options the offscreen programs (demo-capture, demo-bench,
// demo-seek-bench) take alike, read and refused the same way in each. Each
// program reads its own options beside these.

struct OffscreenOptions {
    FrameRate rate;                 // --rate N[/D]: frames per second of music (60)
    int width = 640, height = 480;  // --size WxH: the picture
    int msaa = 0;                   // --msaa N: samples per pixel asked of the GL (0: one)
    std::string dataDir;            // --data DIR: empty for the folder beside the program
};

// Reads the option just read when it is one of the shared ones (*taken says
// whether it was): 0, or 2 after refusing its value.
int readSharedOption(OptionReader* r, OffscreenOptions* options, bool* taken);
