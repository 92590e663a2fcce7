#pragma once
#include <SDL2/SDL.h>

#include "platform/window_state.h"

// The SDL side of the demo window, shared by the files of this backend.
struct NativeWindow {
    SDL_Window* window;
    SDL_GLContext context;
    // Without a display nothing paces the buffer swaps: the software renderer
    // would queue frames without limit, so each frame is finished first.
    bool finishBeforeSwap;
};

// Takes the display for the window: the deepest width x height mode where the
// display really switches, otherwise fullscreen at the desktop size (the
// picture then keeps its shape in the middle); desktopSize: always the
// latter. False when neither works.
bool enterFullscreen(DemoWindow* w, int width, int height, bool desktopSize);

// Focus is back after another program had it: the demo's mode again, where
// the desktop still shows its own.
void resumeFullscreen(DemoWindow* w);
