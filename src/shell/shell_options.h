#pragma once
#include <cstdio>

#include "options/option_reader.h"
#include "options/option_values.h"
#include "platform/window_options.h"

// The command line of demo and demo-windowed. Without options the demo plays
// as it always did. False (refused, options/option_reader.h) for anything it
// does not know; *help is set for -h / --help.
// --start S (seconds of music, 0 up to the end at 228 s) goes to
// *startSeconds (0 without it; refused as unknown where that is null).
// --gentle turns gentle play on (gentleMode, state/gentle_mode.h); without it
// gentle play is off.
bool parseShellOptions(int argc, char** argv, int fullscreen, WindowOptions* options, bool* help,
                       double* startSeconds = nullptr);

// The value of --start: plain decimal seconds ("95", "95.5", ".5"), from 0
// to below the end of the demo.
bool parseStartSeconds(const char* text, double* seconds);

// "demo" or "demo-windowed" and its usage.
ProgramUsage shellProgram(int fullscreen);
