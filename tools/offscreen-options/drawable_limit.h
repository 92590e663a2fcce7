#pragma once
#include <string>

#include "drawable_probe.h"
#include "offscreen_options.h"

// How large a picture the offscreen programs can draw, in pixels across: the
// GL's limit for its viewport and renderbuffers, and SDL's for a window.

// The GL's limit in the current context.
int currentDrawableLimit();

// Empty when a width x height picture fits under the GL's limit (0: unknown,
// anything fits), else "the GL draws LIMIT pixels across at most".
std::string drawableProblem(int limit, int width, int height);

// Refuses a picture larger than can be drawn before anything is loaded,
// created or written (a huge supersampled capture would otherwise allocate
// gigabytes and fail at its first frame): the --size picture, `scale` times
// as wide and high where `scaleOption` ("--supersample 4") asks for that.
// Returns 0, or 2 after refusing --size ("... with --supersample 4 it draws
// 32768x24576 pixels, the GL draws 16384 pixels across at most"). A window
// has the backend's limit as well; a framebuffer of the program's own only
// the GL's.
// The demo's own 640x480 and anything smaller is drawn by every GL the demo
// runs on: no context is made for it.
int checkDrawnSize(const ProgramUsage& program, const OffscreenOptions& options, int scale,
                   const std::string& scaleOption, bool window);
