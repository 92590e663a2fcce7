#include "drawable_probe.h"

// Windows makes a popup window at any size asked for: only the GL limits it.
std::string windowSizeProblem(int, int) { return ""; }
