#pragma once
#include <vector>

// The moments of the stills (the page's still mode, "index.html?at=12.5,80",
// and the programs that draw the same frames on the desktop): music times in
// seconds, each drawn on the fixed-step clock of the capture program.

// Parses a comma-separated list of times from 0 to 228 seconds. False (and
// nothing kept) on an empty list, a bad number or a time out of range.
bool parseStillTimes(const char* text, std::vector<double>* seconds);

// The frame of each time at the given frame rate (nearest frame), in the
// order given.
std::vector<long> stillFrames(const std::vector<double>& seconds, long framesPerSecond);
