#pragma once
#include <string>

// What differs between the backends in asking how large a picture can be
// drawn: one file per backend (drawable_probe_sdl.cpp, drawable_probe_win32.cpp).

// The GL's limit, asked of a small offscreen context of its own, made and
// given back before the program opens its drawable. 0 when none can be made:
// the run itself then says what fails.
int probeDrawableLimit();

// Empty when the backend opens a window of width x height, else why not.
std::string windowSizeProblem(int width, int height);
