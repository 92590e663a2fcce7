#pragma once
#include <windows.h>

#include "platform/window_state.h"

// The Win32 side of the demo window, shared by the files of this backend.
struct NativeWindow {
    HWND window;
    HDC dc;
    HGLRC context;
    DEVMODEA mode;  // the mode switched to, for coming back after Alt-Tab
};

// Switches the display to the deepest width x height mode. False (after a
// line on stderr) where that mode is not offered or the switch is refused;
// the window then covers the desktop at its own size.
bool switchDisplayMode(DemoWindow* w, int width, int height);

// Gives the desktop its own mode back, where it was changed. Safe to call
// on every way out, more than once, and from a crash handler.
void restoreDisplayMode();

// Focus lost (Alt-Tab): the desktop mode back and the window minimised.
// Focus back: the demo's mode again.
void suspendFullscreen(DemoWindow* w);
void resumeFullscreen(DemoWindow* w);
