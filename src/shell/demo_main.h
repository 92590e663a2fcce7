#pragma once

struct DemoWindow;

// The whole program: window, assets, music, frame loop, shutdown.
// Returns 1 after a start-up failure; the normal end leaves through the
// window's close handling (exit code 0) and does not return.
// The options (shell_options.h) are read first; a bad one ends with exit code 2.
// warmUp: load with the warm-up frames (loadAllWarmedUp).
int demoMain(int fullscreen, int argc = 0, char** argv = nullptr, bool warmUp = true);

// One play on a window that startDemo made: the music from its start and the
// frames until the end or Escape; the music is left playing for the caller to
// stop. False when the music cannot start: then "cannot play audio" is
// reported and the player and the window are released.
bool playDemo(DemoWindow* window);

// The desktop's play: the same with the viewer's pause and seek keys
// (play_control.h), from a frame of the 60 fps fixed-step clock (0: the
// start, as playDemo).
bool playDemoWithKeys(DemoWindow* window, long startFrame);
