#pragma once

// How the window is asked for (createDemoWindow), read from the command line
// by the demo and set by the offscreen programs. The defaults are the demo's
// own picture.
struct WindowOptions {
    int msaaSamples = 0;       // 0: one sample per pixel; 2, 4, 8 or 16 asked for
    bool desktopSize = false;  // fullscreen at the screen's own size, no mode switch
    // Drawn for a read-back, never for a viewer: no display is needed where
    // the backend can draw without one (SDL's offscreen driver), the window
    // takes no focus where it cannot, and no error box is ever shown.
    bool offscreen = false;
};

// The sample counts tried for a request of n, best first: n, then every lower
// power of two down to 2. Returns how many were written (0 for n < 2).
int msaaFallbacks(int n, int out[4]);
