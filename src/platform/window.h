#pragma once
#include "platform/viewport_fit.h"
#include "platform/window_options.h"

// The demo's one window with its GL context.
struct DemoWindow;

// Opens the window titled ".quellTarn" with a double-buffered RGBA context
// (16 colour bits at least, 16 depth bits). Fullscreen: switches the display to
// the deepest width x height mode (fullscreen at the desktop size where the
// display cannot switch) and hides the cursor; windowed: a resizable window
// with a drawable of width x height. The options add multisampling, the
// desktop's own size and the offscreen drawable. Without a display (SDL: only
// its offscreen or dummy driver, asked for neither by options.offscreen nor by
// SDL_VIDEODRIVER) it fails. Null on failure (the GL set-up failures are
// reported here); nothing is left open then.
DemoWindow* createDemoWindow(int width, int height, int fullscreen,
                             const WindowOptions& options = WindowOptions{});

// Viewport and projection for a drawable of that size (height 0 taken as 1):
// the picture is the largest centred 4:3 rectangle, black bars around it.
// Returns that rectangle. The same on every backend.
ViewportRect setPerspective(int width, int height);
// Black bars beside a picture that does not fill the drawable of the last
// setPerspective; the frame's own clear coloured the whole drawable. Called
// just before a frame is presented.
void clearPictureBars();
// The demo's start GL state, then setPerspective.
void initGlState(int width, int height);

// With --msaa: says on stderr when the context has fewer samples per pixel
// than were asked for (the same words on every backend).
void reportSamples(int asked);

// Drains the event queue: key state, size changes; a close request runs the
// close handling and ends the process with exit code 0, a stop request
// (platform/stop_signal.h) with its own (130 for Ctrl-C, 143 for SIGTERM).
void pumpMessages();

// Presents the frame.
void presentFrame(DemoWindow* window);
void presentDemoWindow();  // the window made by createDemoWindow

// Gives the display back (desktop mode, cursor) and closes the window; the
// start-up failures after the window was made leave through this.
void releaseDemoWindow(DemoWindow* window);

// The close handling: display mode restored, cursor shown, context released,
// process ended with exit code 0. Does not return.
[[noreturn]] void closeDemoWindow(DemoWindow* window);

// Drawable size in pixels.
void demoWindowSize(const DemoWindow* window, int* width, int* height);

// Shows an error box when a display can show one; never blocks without one.
void showErrorBox(const char* text);

// Called by the close handling before the process ends (the audio player
// registers its release here).
void setCloseCallback(void (*fn)());
