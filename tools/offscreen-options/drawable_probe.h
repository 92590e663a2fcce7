#pragma once
#include <string>

// How large a picture can be drawn, asked before the program opens its
// drawable. The window's limit differs between the backends: one file per
// backend (drawable_probe_sdl.cpp, drawable_probe_win32.cpp).

// The GL's limit, asked of a small offscreen drawable of its own, made and
// given back before the program opens its own (drawable_limit.cpp). 0 when
// none can be made: the run itself then says what fails.
int probeDrawableLimit();

// Empty when the backend opens a window of width x height, else why not.
std::string windowSizeProblem(int width, int height);
