#pragma once

// The whole program: window, assets, music, frame loop, shutdown.
// Returns 1 after a start-up failure; the normal end leaves through the
// window's close handling (exit code 0) and does not return.
int demoMain(int fullscreen);

// The graphics capability check; every GL we run on has what the demo uses.
int checkMultiTexture();
