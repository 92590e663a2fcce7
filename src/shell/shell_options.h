#pragma once
#include <string>
#include <vector>

#include "platform/window_options.h"

// The command line of demo and demo-windowed. Without options the demo plays
// as it always did. False (the problem and the usage printed on standard
// error) for anything it does not know; *help is set for -h / --help.
// --start S (seconds of music, 0 up to the end at 228 s) goes to
// *startSeconds (0 without it; refused as unknown where that is null).
// --gentle turns gentle play on (gentleMode, state/gentle_mode.h); without it
// gentle play is off.
bool parseShellOptions(int argc, char** argv, int fullscreen, WindowOptions* options, bool* help,
                       double* startSeconds = nullptr);

// The value of --start: plain decimal seconds ("95", "95.5", ".5"), from 0
// to below the end of the demo. False with the problem otherwise.
bool parseStartSeconds(const char* text, double* seconds, const char** problem);

void printShellUsage(int fullscreen, bool toStderr);

// A sample count as every program's --msaa takes it: exactly "2", "4", "8" or
// "16" (no sign, space, leading zero or trailing text).
bool parseSampleCount(const char* text, int* samples);

// A whole number as every program's options take it: decimal digits only (no
// sign, space or trailing text), from low to high. False otherwise, *number
// untouched.
bool parseWholeNumber(const char* text, long low, long high, long* number);

// A comma list as every program takes it (--at, --compare): the items between
// the commas in order, empty ones kept ("" is one empty item, "1," two).
std::vector<std::string> splitCommaList(const std::string& text);
