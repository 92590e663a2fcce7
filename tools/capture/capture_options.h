#pragma once
#include <cstdio>
#include <string>
#include <vector>

#include "offscreen_options.h"

struct CaptureOptions {
    OffscreenOptions offscreen;  // --rate, --size, --msaa, --data
    std::string output = "demo.mp4";
    bool png = false;           // numbered PNG frames into the output folder
    long firstFrame = 0;        // inclusive
    long endFrame = -1;         // exclusive; -1 = the end of the timeline
    std::vector<double> atTimes;  // single frames, seconds
    std::vector<std::string> atNames;
    bool quiet = false;
    std::string preset = "veryfast";  // x264 speed preset of the video
    bool warmUp = false;              // load with the demo's warm-up frames
    int supersample = 1;              // drawn k x k times larger, then filtered down
    bool linearFilter = true;         // the filter averages light, not stored values
    bool lossless = false;            // H.264's lossless mode (the RGB frames exactly)
    bool noAudio = false;             // the video alone: a piece of a recording made in pieces
    bool printFrames = false;         // say which frames would be drawn, draw nothing
    bool gentle = false;              // gentle play: fewer and softer flashes
    std::string joinList;             // join these pieces (a concat list) instead of drawing
};

// Parses the command line. Returns 0 when the options are usable, 2 after
// refusing it (unknown option, bad value), 3 for --help (printed by the
// caller: showHelp(captureProgram())).
int parseCaptureOptions(int argc, char** argv, CaptureOptions* options);
ProgramUsage captureProgram();
