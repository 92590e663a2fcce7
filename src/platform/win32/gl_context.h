#pragma once
#include <windows.h>

// The GL context of the demo window: the pixel format the demo asks for
// (double-buffered RGBA, 16 colour and 16 depth bits at least) or, with
// --msaa, a multisampled one found beforehand. Reports the set-up failures
// ("Can't Find A Suitable PixelFormat." and the others) and returns null.
HGLRC createGlContext(HDC dc);

// With --msaa: finds a pixel format with `samples` per pixel (or the next
// lower count offered) through a hidden window (the extension that offers it
// needs a context first).
void prepareMultisampling(HINSTANCE instance, int samples);

// Presents in step with the display where the driver allows it.
void setSwapInterval(int interval);
