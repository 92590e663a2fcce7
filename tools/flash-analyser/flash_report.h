#pragma once
#include <cstdio>

#include "flash_windows.h"

// The analysis as text: a line on the frames, a row per second of music (the
// worst window starting in it) and the worst window of all with the verdict.
void printFlashReport(std::FILE* out, const FlashAnalysis& a);
