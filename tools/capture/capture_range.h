#pragma once
#include <string>

#include "capture_options.h"

// Checks, before anything is rendered, that the frames asked for exist: a
// range (--frames or --time) that selects no frame of the timeline and a
// single frame past its end are refused, and so is --at together with a
// range. Returns 0, or 2 after printing the problem.
int checkCaptureSelection(const CaptureOptions& options, const std::string& framesText,
                          const std::string& timeText);
