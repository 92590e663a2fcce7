#pragma once
#include "platform/window_options.h"

struct DemoWindow;

// Failures in the shell and the window take one form: a call that can fail
// returns false (or null) after its reason was reported once, in the demo's
// words (reportError: the box where one can be shown, always stderr), with
// the detail before it on stderr ("video: ...", "audio: ..."). Steps that run
// while the display is not the desktop's hand their message up instead
// (const char*, null when all went well), so that the display is given back
// before it is reported. Exit codes belong to the programs' mains alone.

// The start every program of the demo shares: the demo itself, its
// recordings, benchmarks and reference stills, and the browser page. The
// drawing switches at their start values, the window (or offscreen
// drawable) with its GL context, the capability check, then every scene and
// picture loaded, with the warm-up frames where asked for.
struct DemoStart {
    int width = 640;
    int height = 480;
    int fullscreen = 0;
    WindowOptions window;  // multisampling, desktop size, offscreen
    bool warmUp = true;
    // The offscreen programs need exactly the drawable they asked for; a
    // fullscreen window takes what the display gives.
    bool exactSize = false;
};

// The window, ready for the first frame. Null after a failure, reported with
// the demo's own message ("cannot init opengl-window", "no multi-texturing
// supported", "cannot load scenes or textures"); the display has its mode
// back then and nothing is left open.
DemoWindow* startDemo(const DemoStart& start);

// The same start on a GL context the caller opened and made current instead
// of the window (the GL layer's tests draw the demo on a context of their
// own): the context gets the start state a window's context gets, then the
// same checks and loading. False after a failure, reported as startDemo does.
bool startDemoOnContext(const DemoStart& start);
