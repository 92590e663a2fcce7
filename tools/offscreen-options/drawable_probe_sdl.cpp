#include "drawable_probe.h"

#include <SDL2/SDL.h>

#include <cstdlib>

#include "drawable_limit.h"

namespace {
// SDL opens no window wider or taller than this ("Window is too large").
const int sdlWindowLimit = 16384;
}  // namespace

int probeDrawableLimit() {
    // The run draws offscreen: so does the probe. Stop signals stay with the
    // program's own handlers.
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return 0;
    int limit = 0;
    if (SDL_Window* window =
            SDL_CreateWindow("", 0, 0, 64, 48, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN)) {
        if (SDL_GLContext context = SDL_GL_CreateContext(window)) {
            limit = currentDrawableLimit();
            SDL_GL_DeleteContext(context);
        }
        SDL_DestroyWindow(window);
    }
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    return limit;
}

std::string windowSizeProblem(int width, int height) {
    if (width <= sdlWindowLimit && height <= sdlWindowLimit) return "";
    return "SDL opens windows of " + std::to_string(sdlWindowLimit) + " pixels across at most";
}
