#pragma once

// How presenting a frame paces the program in the browser.
enum class PresentPacing {
    animationFrame,  // each frame waits for the browser's next animation frame
    free,            // no waiting (frames on a fixed-step clock); a yield now and then
};
void setPresentPacing(PresentPacing pacing);

// Gives the GL layer and the context the state a freshly made window starts
// with (a new play in the same page).
void resetWindowState();
