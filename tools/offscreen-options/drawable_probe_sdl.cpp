#include "drawable_probe.h"

namespace {
// SDL opens no window wider or taller than this ("Window is too large").
const int sdlWindowLimit = 16384;
}  // namespace

std::string windowSizeProblem(int width, int height) {
    if (width <= sdlWindowLimit && height <= sdlWindowLimit) return "";
    return "SDL opens windows of " + std::to_string(sdlWindowLimit) + " pixels across at most";
}
